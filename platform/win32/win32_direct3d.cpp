// The Win32 driver's Direct3D 9 object and device: each service is the interface call of the
// same name, with the engine's records copied into and out of the system's structures. A null
// handle answers D3DERR_INVALIDCALL instead of reaching the interface.
#include <cstring>
#include <vector>

#include "platform/direct3d.h"
#include "platform/types.h"
#include "platform/win32/win32_direct3d.h"
#include "platform/win32/win32_state.h"

#include <windows.h>

#include <d3d9.h>

namespace {

D3DPRESENT_PARAMETERS nativeParameters(const platform::PresentParameters& parameters) {
    D3DPRESENT_PARAMETERS native{};
    native.BackBufferWidth = parameters.backBufferWidth;
    native.BackBufferHeight = parameters.backBufferHeight;
    native.BackBufferFormat = static_cast<::D3DFORMAT>(parameters.backBufferFormat);
    native.BackBufferCount = parameters.backBufferCount;
    native.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(parameters.multiSampleType);
    native.MultiSampleQuality = parameters.multiSampleQuality;
    native.SwapEffect = static_cast<D3DSWAPEFFECT>(parameters.swapEffect);
    native.hDeviceWindow = win32::nativeWindow(parameters.deviceWindow);
    native.Windowed = parameters.windowed ? TRUE : FALSE;
    native.EnableAutoDepthStencil = parameters.enableAutoDepthStencil ? TRUE : FALSE;
    native.AutoDepthStencilFormat = static_cast<::D3DFORMAT>(parameters.autoDepthStencilFormat);
    native.Flags = parameters.flags;
    native.FullScreen_RefreshRateInHz = parameters.fullScreenRefreshRateInHz;
    native.PresentationInterval = parameters.presentationInterval;
    return native;
}

// The system fills in what the caller left to it (a zero back-buffer size or count, for
// instance); the engine's record gets the values that are in force.
void takeBack(const D3DPRESENT_PARAMETERS& native, platform::PresentParameters& parameters) {
    parameters.backBufferWidth = native.BackBufferWidth;
    parameters.backBufferHeight = native.BackBufferHeight;
    parameters.backBufferFormat = static_cast<platform::D3DFORMAT>(native.BackBufferFormat);
    parameters.backBufferCount = native.BackBufferCount;
}

platform::DisplayMode displayModeOf(const D3DDISPLAYMODE& native) {
    return platform::DisplayMode{native.Width, native.Height, native.RefreshRate,
                                 static_cast<platform::D3DFORMAT>(native.Format)};
}

}  // namespace

namespace platform {

Direct3D* direct3DCreate9(uint32_t sdkVersion) {
    return win32::handle(Direct3DCreate9(sdkVersion));
}

void releaseDirect3D(Direct3D* direct3D) {
    if (direct3D != nullptr) {
        win32::native(direct3D)->Release();
    }
}

HRESULT getDeviceCaps(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType, DeviceCaps& caps) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS9 native{};
    HRESULT result = win32::native(direct3D)->GetDeviceCaps(
        adapter, static_cast<D3DDEVTYPE>(deviceType), &native);
    if (SUCCEEDED(result)) {
        caps.devCaps = native.DevCaps;
        caps.maxTextureWidth = native.MaxTextureWidth;
        caps.maxTextureHeight = native.MaxTextureHeight;
    }
    return result;
}

HRESULT getAdapterIdentifier(Direct3D* direct3D, uint32_t adapter, uint32_t flags,
                             AdapterIdentifier& identifier) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DADAPTER_IDENTIFIER9 native{};
    HRESULT result = win32::native(direct3D)->GetAdapterIdentifier(adapter, flags, &native);
    if (SUCCEEDED(result)) {
        // The system's fixed-size fields are terminated; strnlen guards against one that is not.
        identifier.driver.assign(native.Driver, strnlen(native.Driver, sizeof(native.Driver)));
        identifier.description.assign(native.Description,
                                      strnlen(native.Description, sizeof(native.Description)));
        identifier.deviceName.assign(native.DeviceName,
                                     strnlen(native.DeviceName, sizeof(native.DeviceName)));
        identifier.driverVersion = static_cast<uint64_t>(native.DriverVersion.QuadPart);
    }
    return result;
}

HRESULT getAdapterDisplayMode(Direct3D* direct3D, uint32_t adapter, DisplayMode& mode) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DDISPLAYMODE native{};
    HRESULT result = win32::native(direct3D)->GetAdapterDisplayMode(adapter, &native);
    if (SUCCEEDED(result)) {
        mode = displayModeOf(native);
    }
    return result;
}

uint32_t getAdapterModeCount(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format) {
    if (direct3D == nullptr) {
        return 0;
    }
    return win32::native(direct3D)->GetAdapterModeCount(adapter, static_cast<::D3DFORMAT>(format));
}

HRESULT enumAdapterModes(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format, uint32_t index,
                         DisplayMode& mode) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DDISPLAYMODE native{};
    HRESULT result = win32::native(direct3D)->EnumAdapterModes(
        adapter, static_cast<::D3DFORMAT>(format), index, &native);
    if (SUCCEEDED(result)) {
        mode = displayModeOf(native);
    }
    return result;
}

HRESULT checkDeviceType(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                        D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, bool windowed) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return win32::native(direct3D)->CheckDeviceType(
        adapter, static_cast<D3DDEVTYPE>(deviceType), static_cast<::D3DFORMAT>(adapterFormat),
        static_cast<::D3DFORMAT>(backBufferFormat), windowed ? TRUE : FALSE);
}

HRESULT createDevice(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                     WindowHandle focusWindow, uint32_t behaviorFlags,
                     PresentParameters& parameters, Device*& device) {
    if (direct3D == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS native = nativeParameters(parameters);
    IDirect3DDevice9* created = nullptr;
    HRESULT result = win32::native(direct3D)->CreateDevice(
        adapter, static_cast<D3DDEVTYPE>(deviceType), win32::nativeWindow(focusWindow),
        behaviorFlags, &native, &created);
    if (SUCCEEDED(result)) {
        takeBack(native, parameters);
        device = win32::handle(created);
    }
    win32::rethrowHeldException();  // the device restyles its window through messages
    return result;
}

void releaseDevice(Device* device) {
    if (device != nullptr) {
        win32::native(device)->Release();
    }
}

HRESULT resetDevice(Device* device, PresentParameters& parameters) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS native = nativeParameters(parameters);
    HRESULT result = win32::native(device)->Reset(&native);
    win32::rethrowHeldException();
    if (SUCCEEDED(result)) {
        takeBack(native, parameters);
    }
    return result;
}

HRESULT setRenderState(Device* device, uint32_t state, uint32_t value) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return win32::native(device)->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
}

HRESULT testCooperativeLevel(Device* device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return win32::native(device)->TestCooperativeLevel();
}

HRESULT clear(Device* device, uint32_t rectCount, const Rect* rects, uint32_t flags,
              uint32_t colour, float z, uint32_t stencil) {
    if (device == nullptr || (rectCount > 0 && rects == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<D3DRECT> nativeRects;
    nativeRects.reserve(rectCount);
    for (uint32_t i = 0; i < rectCount; ++i) {
        nativeRects.push_back(
            D3DRECT{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    }
    return win32::native(device)->Clear(rectCount, rectCount > 0 ? nativeRects.data() : nullptr,
                                        flags, colour, z, stencil);
}

HRESULT beginScene(Device* device) {
    return device != nullptr ? win32::native(device)->BeginScene() : D3DERR_INVALIDCALL;
}

HRESULT endScene(Device* device) {
    return device != nullptr ? win32::native(device)->EndScene() : D3DERR_INVALIDCALL;
}

HRESULT present(Device* device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = win32::native(device)->Present(nullptr, nullptr, nullptr, nullptr);
    win32::rethrowHeldException();
    return result;
}

}  // namespace platform
