// What the SDL driver's graphics files share: its graphics objects and the upload of a
// texture's kept pixels to a renderer.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/direct3d.h"

namespace platform {

struct Direct3D {
    // The adapter's modes as listed at creation, each with its pixel format.
    std::vector<DisplayMode> modes;
};

struct DeviceTexture {
    SDL_Surface* pixels = nullptr;  // ARGB8888, the texture's full size: the managed copy
    SDL_Texture* native = nullptr;  // null while no device can hold it
    Device* device = nullptr;       // null once the device is released
    bool locked = false;            // between lockRect and unlockRect
};

struct Device {
    WindowHandle window = nullptr;
    SDL_Renderer* renderer = nullptr;
    PresentParameters parameters;
    uint32_t behaviorFlags = 0;
    bool inScene = false;
    bool needsReset = false;          // SDL reset the renderer, or a reset failed
    bool lostWhileMinimised = false;  // a fullscreen window went to the task bar
    std::vector<DeviceTexture*> textures;
};

struct Sprite {
    Device* device = nullptr;
    bool inBatch = false;
    SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
    Matrix transform = Matrix::identity();
};

}  // namespace platform

namespace sdl {

// The largest texture the driver makes, in texels across and down, whatever the renderer says:
// larger ones than graphics hardware takes are refused before memory is spent on them.
constexpr uint32_t kMaxTextureSize = 16384;

// Creates `texture`'s renderer texture from its kept pixels; false when the renderer refuses.
bool uploadTexture(platform::DeviceTexture& texture, SDL_Renderer* renderer);

}  // namespace sdl
