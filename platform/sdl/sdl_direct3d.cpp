// The SDL driver's Direct3D object: the adapter is SDL's first display. Its mode list is the
// display's real modes plus the common sizes up to the desktop's, since the driver shows any
// of them fullscreen by scaling to the desktop.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/sdl/sdl_direct3d.h"
#include "platform/sdl/sdl_state.h"

using namespace platform;

namespace {

constexpr int kDisplay = 0;

// A display that reports no rate is taken to run at the usual 60 Hz.
constexpr uint32_t kAssumedRefreshRate = 60;

struct Size {
    uint32_t width;
    uint32_t height;
};
constexpr Size kCommonSizes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
    {1280, 800},  {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},
    {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080},
    {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160},
};

// Display formats as the engine names them; a display with 24 or more bits is shown as 32-bit.
D3DFORMAT formatOf(Uint32 sdlFormat) {
    if (SDL_BITSPERPIXEL(sdlFormat) >= 24) {
        return D3DFMT_X8R8G8B8;
    }
    switch (SDL_PIXELLAYOUT(sdlFormat)) {
        case SDL_PACKEDLAYOUT_565:
            return D3DFMT_R5G6B5;
        case SDL_PACKEDLAYOUT_1555:
            return D3DFMT_X1R5G5B5;
        default:
            return D3DFMT_UNKNOWN;
    }
}

bool displayModeOf(const SDL_DisplayMode& sdlMode, DisplayMode& mode) {
    if (sdlMode.w <= 0 || sdlMode.h <= 0) {
        return false;
    }
    mode.width = static_cast<uint32_t>(sdlMode.w);
    mode.height = static_cast<uint32_t>(sdlMode.h);
    mode.refreshRate = sdlMode.refresh_rate > 0 ? static_cast<uint32_t>(sdlMode.refresh_rate)
                                                : kAssumedRefreshRate;
    mode.format = formatOf(sdlMode.format);
    return true;
}

bool sameMode(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.refreshRate == b.refreshRate &&
           a.format == b.format;
}

bool desktopMode(DisplayMode& mode) {
    SDL_DisplayMode sdlMode;
    return SDL_GetDesktopDisplayMode(kDisplay, &sdlMode) == 0 && displayModeOf(sdlMode, mode);
}

// Smallest first, as graphics adapters list them.
std::vector<DisplayMode> listModes() {
    std::vector<DisplayMode> modes;
    auto add = [&modes](const DisplayMode& mode) {
        if (std::none_of(modes.begin(), modes.end(),
                         [&mode](const DisplayMode& known) { return sameMode(known, mode); })) {
            modes.push_back(mode);
        }
    };
    int count = SDL_GetNumDisplayModes(kDisplay);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode sdlMode;
        DisplayMode mode;
        if (SDL_GetDisplayMode(kDisplay, index, &sdlMode) == 0 && displayModeOf(sdlMode, mode)) {
            add(mode);
        }
    }
    DisplayMode desktop;
    if (desktopMode(desktop)) {
        for (const Size& size : kCommonSizes) {
            if (size.width <= desktop.width && size.height <= desktop.height) {
                add(DisplayMode{size.width, size.height, desktop.refreshRate, desktop.format});
            }
        }
    }
    std::stable_sort(modes.begin(), modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
        if (a.width != b.width)
            return a.width < b.width;
        if (a.height != b.height)
            return a.height < b.height;
        return a.refreshRate < b.refreshRate;
    });
    return modes;
}

bool usable(Direct3D* direct3D, uint32_t adapter) {
    return direct3D != nullptr && adapter == D3DADAPTER_DEFAULT;
}

bool displayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

}  // namespace

namespace platform {

Direct3D* direct3DCreate9(uint32_t sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || !sdl::startVideo() || SDL_GetNumVideoDisplays() < 1) {
        return nullptr;
    }
    auto* direct3D = new Direct3D;
    direct3D->modes = listModes();
    return direct3D;
}

void releaseDirect3D(Direct3D* direct3D) {
    delete direct3D;
}

HRESULT getDeviceCaps(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType, DeviceCaps& caps) {
    if (!usable(direct3D, adapter) || deviceType != D3DDEVTYPE_HAL) {
        return D3DERR_INVALIDCALL;
    }
    SDL_RendererInfo info;
    caps = DeviceCaps{};
    caps.maxTextureWidth = sdl::kMaxTextureSize;
    caps.maxTextureHeight = sdl::kMaxTextureSize;
    if (sdl::chosenRenderDriver(info)) {
        if ((info.flags & SDL_RENDERER_ACCELERATED) != 0) {
            caps.devCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        }
        // A renderer that names no limit (the software one) takes what the driver makes.
        if (info.max_texture_width > 0) {
            caps.maxTextureWidth = std::min<uint32_t>(caps.maxTextureWidth, info.max_texture_width);
        }
        if (info.max_texture_height > 0) {
            caps.maxTextureHeight =
                std::min<uint32_t>(caps.maxTextureHeight, info.max_texture_height);
        }
    }
    return D3D_OK;
}

HRESULT getAdapterIdentifier(Direct3D* direct3D, uint32_t adapter, uint32_t,
                             AdapterIdentifier& identifier) {
    const char* videoDriver = SDL_GetCurrentVideoDriver();
    const char* display = SDL_GetDisplayName(kDisplay);
    if (!usable(direct3D, adapter) || videoDriver == nullptr || display == nullptr) {
        return E_FAIL;
    }
    SDL_RendererInfo info;
    SDL_version version;
    SDL_GetVersion(&version);
    identifier.deviceName = display;
    identifier.description =
        std::string(sdl::chosenRenderDriver(info) ? info.name : "no") + " renderer";
    identifier.driver = std::string("SDL ") + videoDriver;
    identifier.driverVersion = (uint64_t{version.major} << 48) | (uint64_t{version.minor} << 32) |
                               (uint64_t{version.patch} << 16);
    return D3D_OK;
}

HRESULT getAdapterDisplayMode(Direct3D* direct3D, uint32_t adapter, DisplayMode& mode) {
    if (!usable(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    return desktopMode(mode) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

uint32_t getAdapterModeCount(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format) {
    if (!usable(direct3D, adapter)) {
        return 0;
    }
    return static_cast<uint32_t>(
        std::count_if(direct3D->modes.begin(), direct3D->modes.end(),
                      [format](const DisplayMode& mode) { return mode.format == format; }));
}

HRESULT enumAdapterModes(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format, uint32_t index,
                         DisplayMode& mode) {
    if (!usable(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    for (const DisplayMode& each : direct3D->modes) {
        if (each.format == format && index-- == 0) {
            mode = each;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT checkDeviceType(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                        D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, bool) {
    if (!usable(direct3D, adapter) || deviceType != D3DDEVTYPE_HAL) {
        return D3DERR_INVALIDCALL;
    }
    // The renderer draws in 32 bits whatever the back buffer's format; any display format
    // the driver knows can show it.
    bool backBufferUsable = displayFormat(backBufferFormat) || backBufferFormat == D3DFMT_A8R8G8B8;
    return displayFormat(adapterFormat) && backBufferUsable ? D3D_OK : D3DERR_NOTAVAILABLE;
}

}  // namespace platform
