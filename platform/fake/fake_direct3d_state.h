// The fake driver's graphics objects and the state its graphics service files share.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/direct3d.h"
#include "platform/fake/fake_direct3d.h"

namespace platform {
struct Direct3D {
    int references = 1;
};
struct Device {
    int references = 1;
    bool inScene = false;
};
struct DeviceTexture {
    int references = 1;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> texels;  // ARGB, row by row, for a texture made by createTexture
    bool locked = false;
};
struct Sprite {
    int references = 1;
    bool inBatch = false;
    Matrix transform = Matrix::identity();
};
}  // namespace platform

namespace fake::detail {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
};

struct Direct3DState {
    platform::DisplayMode desktop{1024, 768, 60, platform::D3DFMT_X8R8G8B8};
    std::map<platform::D3DFORMAT, std::vector<platform::DisplayMode>> modes;
    DeviceTypeAnswer deviceTypeAnswer;
    uint32_t devCaps = 0;
    uint32_t maxTextureSize = 8192;
    platform::AdapterIdentifier identifier{"fake.dll", "Fake Graphics Adapter", "\\\\.\\DISPLAY1",
                                           0};
    platform::HRESULT identifierResult = platform::D3D_OK;
    bool failCreate = false;
    platform::HRESULT nextDeviceFailure = platform::D3D_OK;
    std::deque<platform::HRESULT> cooperativeLevels;
    std::map<std::string, Image> images;
    bool failNextLevelDesc = false;

    std::vector<CreatedDevice> createdDevices;
    std::vector<platform::PresentParameters> resets;
    std::vector<Draw> draws;
    std::vector<std::string> calls;

    // Every object handed out; kept until reset so a stale handle never dangles in a test.
    std::vector<std::unique_ptr<platform::Direct3D>> direct3Ds;
    std::vector<std::unique_ptr<platform::Device>> devices;
    std::vector<std::unique_ptr<platform::DeviceTexture>> textures;
    std::vector<std::unique_ptr<platform::Sprite>> sprites;
};

Direct3DState& direct3DState();

// Records a call for fake::calls().
void recordCall(std::string call);

}  // namespace fake::detail
