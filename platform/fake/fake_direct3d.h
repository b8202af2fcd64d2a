// Control of the fake driver's graphics, for tests: describe the adapter, script the device's
// answers, and read back every device call and sprite draw. fake::reset() restores the
// defaults: a 1024 x 768 60 Hz X8R8G8B8 desktop, no modes, every device type accepted, no
// capabilities but textures up to 8192 x 8192, an identifier that names the fake, every call
// succeeding.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/direct3d.h"

namespace fake {

// --- The adapter ---
void setDesktopMode(const platform::DisplayMode& mode);
// The modes the adapter lists for `format`, in this order.
void setAdapterModes(platform::D3DFORMAT format, std::vector<platform::DisplayMode> modes);
// Answers checkDeviceType; D3D_OK for every pair while none is set.
using DeviceTypeAnswer = std::function<platform::HRESULT(
    platform::D3DFORMAT adapterFormat, platform::D3DFORMAT backBufferFormat, bool windowed)>;
void setDeviceTypeAnswer(DeviceTypeAnswer answer);
void setDeviceCaps(uint32_t devCaps);
// The largest texture's width and height, in texels; 8192 after reset().
void setMaxTextureSize(uint32_t texels);
void setAdapterIdentifier(const platform::AdapterIdentifier& identifier);
void failAdapterIdentifier(platform::HRESULT result);
// Makes direct3DCreate9 answer null, as on a machine without Direct3D.
void failDirect3DCreate();

// --- The device ---
// Makes the next createDevice fail with `result`.
void failNextDevice(platform::HRESULT result);
// Answers of testCooperativeLevel, in order; D3D_OK once they run out.
void queueCooperativeLevel(platform::HRESULT result);

// --- Textures ---
// An image file the texture loader can read; any other path fails to load. Textures made by
// createTexture lock whole levels only.
void addImage(const std::string& path, uint32_t width, uint32_t height);
// Makes the next getLevelDesc fail.
void failNextLevelDesc();

// --- What the engine did ---
struct CreatedDevice {
    uint32_t adapter = 0;
    uint32_t deviceType = 0;
    platform::WindowHandle focusWindow = nullptr;
    uint32_t behaviorFlags = 0;
    platform::PresentParameters parameters;
};
const std::vector<CreatedDevice>& createdDevices();
// The parameters of every resetDevice, in order.
const std::vector<platform::PresentParameters>& resets();

struct Draw {
    platform::DeviceTexture* texture = nullptr;
    bool hasSource = false;
    platform::Rect source;
    uint32_t colour = 0;
    platform::Matrix transform;  // the sprite's transform when it was drawn
};
const std::vector<Draw>& draws();

// The device and sprite calls in order, each as its name and its arguments that matter, e.g.
// "TestCooperativeLevel", "Clear 0 3 0x00000000 1 0", "Sprite::Begin 0x00000010".
const std::vector<std::string>& calls();

// References handed out and not yet given back, over all graphics objects.
int liveReferences();

}  // namespace fake
