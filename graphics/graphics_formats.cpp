// The screen formats the adapter offers, the choice of the nearest one to a request, and the
// validation stage of Graphics::setScreenFormat.
#include <limits>

#include "graphics/graphics.h"
#include "log/log.h"
#include "platform/constants.h"

using namespace platform;

namespace {

// Smaller modes are never offered: the game's screens are designed for at least this size.
constexpr uint32_t kMinimumWidth = 640;
constexpr uint32_t kMinimumHeight = 480;

// Candidate pixel formats, in the order their modes are listed.
constexpr D3DFORMAT kCandidateFormats[] = {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8};

bool matches(int64_t patternField, int64_t field) {
    return patternField == 0 || patternField == field;
}

}  // namespace

void Graphics::enumerateFormats() {
    Log::info("Enumerating potential screen formats...");
    availableFormats.clear();
    DisplayMode desktop;
    getAdapterDisplayMode(direct3D, D3DADAPTER_DEFAULT, desktop);
    desktopFormat = ScreenFormat(desktop, ScreenFormat::FULLSCREEN);

    for (D3DFORMAT format : kCandidateFormats) {
        uint32_t count = getAdapterModeCount(direct3D, D3DADAPTER_DEFAULT, format);
        for (int32_t mode : {ScreenFormat::FULLSCREEN, ScreenFormat::WINDOWED}) {
            for (uint32_t index = 0; index < count; ++index) {
                DisplayMode displayMode;
                if (enumAdapterModes(direct3D, D3DADAPTER_DEFAULT, format, index, displayMode) !=
                    D3D_OK) {
                    continue;
                }
                if (displayMode.width < kMinimumWidth || displayMode.height < kMinimumHeight) {
                    continue;
                }
                bool offered;
                if (mode == ScreenFormat::FULLSCREEN) {
                    offered =
                        checkDeviceType(direct3D, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                        displayMode.format, displayMode.format, false) == D3D_OK;
                } else {
                    // A window as large as the desktop in either direction could not be seen
                    // whole.
                    offered = checkDeviceType(direct3D, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                              desktop.format, displayMode.format, true) == D3D_OK &&
                              displayMode.width < desktop.width &&
                              displayMode.height < desktop.height;
                }
                if (offered) {
                    availableFormats.push_back(ScreenFormat(displayMode, mode));
                }
            }
        }
    }
    Log::info("Success!");
}

bool Graphics::findNearestFormat(const ScreenFormat& requested, ScreenFormat& out) {
    const ScreenFormat wanted = requested;  // `out` may be `requested` itself
    const ScreenFormat* best = nullptr;
    int32_t bestScore = std::numeric_limits<int32_t>::min();
    for (const ScreenFormat& candidate : availableFormats) {
        int32_t score = wanted.compare(candidate);
        if (best == nullptr || score > bestScore) {
            best = &candidate;
            bestScore = score;
        }
    }
    if (best == nullptr) {
        return false;
    }
    out = *best;
    return true;
}

std::vector<ScreenFormat> Graphics::findFormats(const ScreenFormat& pattern) {
    std::vector<ScreenFormat> found;
    for (const ScreenFormat& format : availableFormats) {
        if (matches(pattern.width, format.width) && matches(pattern.height, format.height) &&
            matches(pattern.format, format.format) &&
            matches(pattern.refreshRate, format.refreshRate) &&
            matches(pattern.mode, format.mode)) {
            found.push_back(format);
        }
    }
    return found;
}

ScreenFormat Graphics::getDesktopFormat() {
    return desktopFormat;
}

ScreenFormat Graphics::getScreenFormat() {
    return currentFormat;
}

void Graphics::setScreenFormat(ScreenFormat requested) {
    Log::info("Validating requested screen format...");
    if (!findNearestFormat(requested, currentFormat)) {
        Log::error("Your graphics hardware does not support any compatable screen formats.");
    }
    if (requested.compare(currentFormat) != 0) {
        Log::warning("The screen format " + requested.describe() +
                     " is not availible.\nThe nearest format " + currentFormat.describe() +
                     " will be used instead.");
    }
    Log::info("Success!");
    applyScreenFormat();
}
