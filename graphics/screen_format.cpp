#include "graphics/screen_format.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>

using namespace platform;

namespace {

struct KnownFormat {
    D3DFORMAT format;
    int32_t bits;
    const char* name;
};

constexpr KnownFormat kKnownFormats[] = {
    {D3DFMT_R8G8B8, 24, "24bit[R8G8B8]"},     {D3DFMT_A8R8G8B8, 32, "32bit[A8R8G8B8]"},
    {D3DFMT_X8R8G8B8, 32, "32bit[X8R8G8B8]"}, {D3DFMT_R5G6B5, 16, "16bit[R5G6B5]"},
    {D3DFMT_X1R5G5B5, 16, "16bit[X1R5G5B5]"}, {D3DFMT_A1R5G5B5, 16, "16bit[A1R5G5B5]"},
    {D3DFMT_A4R4G4B4, 16, "16bit[A4R4G4B4]"}, {D3DFMT_A8R3G3B2, 16, "16bit[A8R3G3B2]"},
    {D3DFMT_X4R4G4B4, 16, "16bit[X4R4G4B4]"},
};

const KnownFormat* findKnown(D3DFORMAT format) {
    for (const KnownFormat& known : kKnownFormats) {
        if (known.format == format) {
            return &known;
        }
    }
    return nullptr;
}

bool validMode(int32_t mode) {
    return mode == ScreenFormat::FULLSCREEN || mode == ScreenFormat::WINDOWED;
}

// width / height in single precision; 0 for a height of 0 rather than a division by zero.
float ratio(int32_t width, int32_t height) {
    if (height == 0) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
}

}  // namespace

ScreenFormat::ScreenFormat(int32_t width, int32_t height, D3DFORMAT format, int32_t refreshRate,
                           int32_t mode)
    : width(width),
      height(height),
      format(format),
      refreshRate(refreshRate),
      mode(validMode(mode) ? mode : FULLSCREEN) {}

ScreenFormat::ScreenFormat(const DisplayMode& displayMode, int32_t mode)
    : width(static_cast<int32_t>(displayMode.width)),
      height(static_cast<int32_t>(displayMode.height)),
      format(displayMode.format),
      refreshRate(static_cast<int32_t>(displayMode.refreshRate)),
      mode(mode) {}

ScreenFormat ScreenFormat::pattern(int32_t width, int32_t height, D3DFORMAT format,
                                   int32_t refreshRate, int32_t mode) {
    ScreenFormat result;
    result.width = width;
    result.height = height;
    result.format = format;
    result.refreshRate = refreshRate;
    result.mode = mode;
    return result;
}

int32_t ScreenFormat::compare(const ScreenFormat& other) const {
    // Summed in 64 bits so that absurd sizes saturate instead of overflowing.
    auto distance = [](int64_t a, int64_t b) { return a > b ? a - b : b - a; };
    int64_t score = 0 - distance(width, other.width) - distance(height, other.height) -
                    distance(bitsPerPixel(format), bitsPerPixel(other.format)) -
                    distance(refreshRate, other.refreshRate) - (mode != other.mode ? 10000 : 0);
    return static_cast<int32_t>(std::max<int64_t>(score, std::numeric_limits<int32_t>::min()));
}

float ScreenFormat::aspectRatio() const {
    return ratio(width, height);
}

int32_t ScreenFormat::bitsPerPixel(D3DFORMAT format) {
    const KnownFormat* known = findKnown(format);
    return known != nullptr ? known->bits : 0;
}

D3DFORMAT ScreenFormat::formatForBits(int32_t bits) {
    switch (bits) {
        case 16:
            return D3DFMT_R5G6B5;
        case 24:
            return D3DFMT_R8G8B8;
        case 32:
            return D3DFMT_X8R8G8B8;
        default:
            return D3DFMT_UNKNOWN;
    }
}

std::string ScreenFormat::formatName(D3DFORMAT format) {
    const KnownFormat* known = findKnown(format);
    return known != nullptr ? known->name : "Unknown Format";
}

std::string ScreenFormat::modeName(int32_t mode) {
    switch (mode) {
        case FULLSCREEN:
            return "Fullscreen";
        case WINDOWED:
            return "Windowed";
        default:
            return "Invalid mode!";
    }
}

std::string ScreenFormat::resolutionName(int32_t width, int32_t height) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << width << "x" << height << "[" << ratio(width, height) << ":1]";
    return text.str();
}

std::string ScreenFormat::describe() const {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "[" << resolutionName(width, height) << " x " << formatName(format) << " x "
         << refreshRate << "Hz x " << modeName(mode) << "]";
    return text.str();
}
