// What the SDL driver's graphics files share: its graphics objects, the upload of a texture's
// kept pixels to a renderer, and the choice of renderer.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/direct3d.h"
#include "platform/sdl/sdl_quad_batch.h"

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
    // The native texture's blend mode and colour modulation (ARGB) as last set, so a draw
    // sets them only when they change.
    SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
    uint32_t modulation = 0xFFFFFFFF;
    // A part of the texture known to be opaque throughout (a backdrop's image, say), which a
    // draw in an opaque colour may copy instead of blending; empty when none is known.
    SDL_Rect opaque{0, 0, 0, 0};
};

struct Device {
    WindowHandle window = nullptr;
    SDL_Renderer* renderer = nullptr;
    PresentParameters parameters;
    uint32_t behaviorFlags = 0;
    bool inScene = false;
    bool needsReset = false;          // SDL reset the renderer, or a reset failed
    bool lostWhileMinimised = false;  // a fullscreen window went to the task bar
    // Whether sprites go to the renderer as queued quads (a renderer that draws triangles
    // itself) or each as a rectangle copy (the software renderer, which draws two triangles
    // that form an upright rectangle as a plain copy anyway, a quarter turn of theirs lost).
    bool drawsQuads = false;
    sdl::QuadBatch quads;  // the sprites drawn since the last flush, of every sprite object
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

// The render driver a device gets unless its caller asks for software vertex processing: the
// one the SDL_RENDER_DRIVER hint names, else SDL's first accelerated one, except where that one
// rasterises on the CPU behind OpenGL (Mesa's llvmpipe, say), which draws sprites slower than
// SDL's own software renderer, so the software one then. False when there is none. The first
// call may make a hidden window to find out; the answer holds for the process.
bool chosenRenderDriver(SDL_RendererInfo& info);

}  // namespace sdl
