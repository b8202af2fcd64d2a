// The fake driver's Direct3D object and device: an adapter described by tests and a device
// that records what it is asked and answers from a script.
#include <cstdio>

#include "platform/fake/fake_direct3d_state.h"
#include "platform/fake/fake_state.h"

using namespace platform;

namespace fake {

namespace detail {

Direct3DState& direct3DState() {
    static Direct3DState instance;
    return instance;
}

void recordCall(std::string call) {
    direct3DState().calls.push_back(std::move(call));
}

namespace {
const ResetHook clearsDirect3D([] { direct3DState() = Direct3DState{}; });
}  // namespace

}  // namespace detail

using detail::direct3DState;

void setDesktopMode(const DisplayMode& mode) {
    direct3DState().desktop = mode;
}

void setAdapterModes(D3DFORMAT format, std::vector<DisplayMode> modes) {
    direct3DState().modes[format] = std::move(modes);
}

void setDeviceTypeAnswer(DeviceTypeAnswer answer) {
    direct3DState().deviceTypeAnswer = std::move(answer);
}

void setDeviceCaps(uint32_t devCaps) {
    direct3DState().devCaps = devCaps;
}

void setMaxTextureSize(uint32_t texels) {
    direct3DState().maxTextureSize = texels;
}

void setAdapterIdentifier(const AdapterIdentifier& identifier) {
    direct3DState().identifier = identifier;
}

void failAdapterIdentifier(HRESULT result) {
    direct3DState().identifierResult = result;
}

void failDirect3DCreate() {
    direct3DState().failCreate = true;
}

void failNextDevice(HRESULT result) {
    direct3DState().nextDeviceFailure = result;
}

void queueCooperativeLevel(HRESULT result) {
    direct3DState().cooperativeLevels.push_back(result);
}

const std::vector<CreatedDevice>& createdDevices() {
    return direct3DState().createdDevices;
}

const std::vector<PresentParameters>& resets() {
    return direct3DState().resets;
}

const std::vector<std::string>& calls() {
    return direct3DState().calls;
}

int liveReferences() {
    int live = 0;
    auto& state = direct3DState();
    for (auto& each : state.direct3Ds)
        live += each->references;
    for (auto& each : state.devices)
        live += each->references;
    for (auto& each : state.textures)
        live += each->references;
    for (auto& each : state.sprites)
        live += each->references;
    return live;
}

}  // namespace fake

namespace platform {

using fake::detail::direct3DState;
using fake::detail::recordCall;

namespace {

bool isDefaultAdapter(Direct3D* direct3D, uint32_t adapter) {
    return direct3D != nullptr && adapter == D3DADAPTER_DEFAULT;
}

}  // namespace

Direct3D* direct3DCreate9(uint32_t sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || direct3DState().failCreate) {
        return nullptr;
    }
    direct3DState().direct3Ds.push_back(std::make_unique<Direct3D>());
    return direct3DState().direct3Ds.back().get();
}

void releaseDirect3D(Direct3D* direct3D) {
    if (direct3D != nullptr) {
        --direct3D->references;
    }
}

HRESULT getDeviceCaps(Direct3D* direct3D, uint32_t adapter, uint32_t, DeviceCaps& caps) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    caps.devCaps = direct3DState().devCaps;
    caps.maxTextureWidth = direct3DState().maxTextureSize;
    caps.maxTextureHeight = direct3DState().maxTextureSize;
    return D3D_OK;
}

HRESULT getAdapterIdentifier(Direct3D* direct3D, uint32_t adapter, uint32_t,
                             AdapterIdentifier& identifier) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    if (direct3DState().identifierResult < 0) {
        return direct3DState().identifierResult;
    }
    identifier = direct3DState().identifier;
    return D3D_OK;
}

HRESULT getAdapterDisplayMode(Direct3D* direct3D, uint32_t adapter, DisplayMode& mode) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    mode = direct3DState().desktop;
    return D3D_OK;
}

uint32_t getAdapterModeCount(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return 0;
    }
    auto found = direct3DState().modes.find(format);
    return found == direct3DState().modes.end() ? 0 : static_cast<uint32_t>(found->second.size());
}

HRESULT enumAdapterModes(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format, uint32_t index,
                         DisplayMode& mode) {
    if (index >= getAdapterModeCount(direct3D, adapter, format)) {
        return D3DERR_INVALIDCALL;
    }
    mode = direct3DState().modes[format][index];
    return D3D_OK;
}

HRESULT checkDeviceType(Direct3D* direct3D, uint32_t adapter, uint32_t, D3DFORMAT adapterFormat,
                        D3DFORMAT backBufferFormat, bool windowed) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    auto& answer = direct3DState().deviceTypeAnswer;
    return answer ? answer(adapterFormat, backBufferFormat, windowed) : D3D_OK;
}

HRESULT createDevice(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                     WindowHandle focusWindow, uint32_t behaviorFlags,
                     PresentParameters& parameters, Device*& device) {
    if (!isDefaultAdapter(direct3D, adapter)) {
        return D3DERR_INVALIDCALL;
    }
    auto& state = direct3DState();
    state.createdDevices.push_back(
        fake::CreatedDevice{adapter, deviceType, focusWindow, behaviorFlags, parameters});
    if (state.nextDeviceFailure != D3D_OK) {
        HRESULT failure = state.nextDeviceFailure;
        state.nextDeviceFailure = D3D_OK;
        return failure;
    }
    state.devices.push_back(std::make_unique<Device>());
    device = state.devices.back().get();
    return D3D_OK;
}

void releaseDevice(Device* device) {
    if (device != nullptr) {
        --device->references;
    }
}

HRESULT resetDevice(Device* device, PresentParameters& parameters) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Reset");
    direct3DState().resets.push_back(parameters);
    return D3D_OK;
}

HRESULT setRenderState(Device* device, uint32_t state, uint32_t value) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
    return D3D_OK;
}

HRESULT testCooperativeLevel(Device* device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("TestCooperativeLevel");
    auto& levels = direct3DState().cooperativeLevels;
    if (levels.empty()) {
        return D3D_OK;
    }
    HRESULT level = levels.front();
    levels.pop_front();
    return level;
}

HRESULT clear(Device* device, uint32_t rectCount, const Rect*, uint32_t flags, uint32_t colour,
              float z, uint32_t stencil) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    char text[96];
    std::snprintf(text, sizeof text, "Clear %u %u 0x%08X %g %u", rectCount, flags, colour,
                  static_cast<double>(z), stencil);
    recordCall(text);
    return D3D_OK;
}

HRESULT beginScene(Device* device) {
    if (device == nullptr || device->inScene) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("BeginScene");
    device->inScene = true;
    return D3D_OK;
}

HRESULT endScene(Device* device) {
    if (device == nullptr || !device->inScene) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("EndScene");
    device->inScene = false;
    return D3D_OK;
}

HRESULT present(Device* device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Present");
    return D3D_OK;
}

}  // namespace platform
