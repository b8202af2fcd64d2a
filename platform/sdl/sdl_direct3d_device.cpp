// The SDL driver's device: an SDL renderer on the device window. A reset builds the renderer
// afresh for the new parameters and uploads every texture again from its kept pixels, so it
// also recovers from SDL_RENDER_DEVICE_RESET, after which SDL's textures are gone.
#include <SDL.h>

#include <algorithm>

#include "platform/sdl/sdl_direct3d.h"
#include "platform/sdl/sdl_state.h"

using namespace platform;

namespace {

std::vector<Device*>& liveDevices() {
    static std::vector<Device*> devices;
    return devices;
}

// SDL reports a lost renderer with an event; the device then waits for its reset. Render
// targets being reset (SDL_RENDER_TARGETS_RESET) needs nothing: the driver draws only to the
// window, and every frame is drawn whole.
int SDLCALL watchRendererResets(void*, SDL_Event* event) {
    if (event->type == SDL_RENDER_DEVICE_RESET) {
        for (Device* device : liveDevices()) {
            device->needsReset = true;
        }
    }
    return 0;
}

void watchRendererResetsOnce() {
    static bool watching = false;
    if (!watching) {
        SDL_AddEventWatch(watchRendererResets, nullptr);
        watching = true;
    }
}

bool fullscreen(const Device& device) {
    return !device.parameters.windowed;
}

bool minimised(const Device& device) {
    SDL_Window* native = sdl::nativeWindow(device.window);
    return native != nullptr && (SDL_GetWindowFlags(native) & SDL_WINDOW_MINIMIZED) != 0;
}

// A fullscreen device shows the back buffer scaled onto a desktop-sized window; a windowed one
// 1:1 in a window of its size. Hardware vertex processing asks for an accelerated renderer and
// settles for the software one when there is none.
SDL_Renderer* createRenderer(const Device& device) {
    SDL_Window* native = sdl::nativeWindow(device.window);
    if (native == nullptr) {
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    if (!fullscreen(device)) {
        SDL_SetWindowFullscreen(native, 0);
    }
    Uint32 vsync = device.parameters.presentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE
                       ? 0
                       : SDL_RENDERER_PRESENTVSYNC;
    // A renderer that needs another kind of window has SDL make the window anew, which puts
    // it back where it was first created; the window's placement is the caller's.
    int x = 0, y = 0;
    SDL_GetWindowPosition(native, &x, &y);
    SDL_Renderer* renderer = nullptr;
    if ((device.behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0) {
        renderer = SDL_CreateRenderer(native, -1, SDL_RENDERER_ACCELERATED | vsync);
    }
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(native, -1, SDL_RENDERER_SOFTWARE | vsync);
    }
    SDL_SetWindowPosition(native, x, y);
    if (renderer == nullptr) {
        return nullptr;
    }
    SDL_Rect desktop;
    if (fullscreen(device)) {
        // Cover the desktop even where no window manager carries out the fullscreen request.
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(native), &desktop) == 0) {
            SDL_SetWindowPosition(native, desktop.x, desktop.y);
            SDL_SetWindowSize(native, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(native, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_RenderSetLogicalSize(renderer, static_cast<int>(device.parameters.backBufferWidth),
                             static_cast<int>(device.parameters.backBufferHeight));
    return renderer;
}

// Takes the renderer `createRenderer` made, or null.
void useRenderer(Device& device, SDL_Renderer* renderer) {
    device.renderer = renderer;
    SDL_RendererInfo info;
    device.drawsQuads = renderer != nullptr && SDL_GetRendererInfo(renderer, &info) == 0 &&
                        (info.flags & SDL_RENDERER_SOFTWARE) == 0;
    if (device.drawsQuads) {
        device.quads.useRenderer(renderer);
    }
}

void dropRenderer(Device& device) {
    device.quads.drop();
    for (DeviceTexture* texture : device.textures) {
        if (texture->native != nullptr) {
            SDL_DestroyTexture(texture->native);
            texture->native = nullptr;
        }
    }
    if (device.renderer != nullptr) {
        SDL_DestroyRenderer(device.renderer);
        device.renderer = nullptr;
    }
}

bool drawable(Device* device) {
    return device != nullptr && device->renderer != nullptr;
}

}  // namespace

namespace platform {

HRESULT createDevice(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                     WindowHandle focusWindow, uint32_t behaviorFlags,
                     PresentParameters& parameters, Device*& device) {
    if (direct3D == nullptr || adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL) {
        return D3DERR_INVALIDCALL;
    }
    auto* created = new Device;
    created->window = parameters.deviceWindow != nullptr ? parameters.deviceWindow : focusWindow;
    created->parameters = parameters;
    created->behaviorFlags = behaviorFlags;
    useRenderer(*created, createRenderer(*created));
    if (created->renderer == nullptr) {
        delete created;
        return D3DERR_NOTAVAILABLE;
    }
    watchRendererResetsOnce();
    liveDevices().push_back(created);
    device = created;
    return D3D_OK;
}

void releaseDevice(Device* device) {
    if (device == nullptr) {
        return;
    }
    dropRenderer(*device);
    for (DeviceTexture* texture : device->textures) {
        texture->device = nullptr;  // the texture keeps its pixels and can still be released
    }
    std::erase(liveDevices(), device);
    delete device;
}

HRESULT resetDevice(Device* device, PresentParameters& parameters) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    device->parameters = parameters;
    device->inScene = false;
    dropRenderer(*device);
    useRenderer(*device, createRenderer(*device));
    bool restored = device->renderer != nullptr;
    for (DeviceTexture* texture : device->textures) {
        restored = restored && sdl::uploadTexture(*texture, device->renderer);
    }
    if (!restored) {
        device->needsReset = true;
        return D3DERR_DEVICELOST;
    }
    device->needsReset = false;
    device->lostWhileMinimised = false;
    return D3D_OK;
}

HRESULT setRenderState(Device* device, uint32_t, uint32_t) {
    // The renderer has no culling to turn off: every sprite is drawn whichever way it faces.
    return device != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT testCooperativeLevel(Device* device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (fullscreen(*device) && minimised(*device)) {
        device->lostWhileMinimised = true;
        return D3DERR_DEVICELOST;
    }
    if (device->needsReset || device->lostWhileMinimised || device->renderer == nullptr) {
        return D3DERR_DEVICENOTRESET;
    }
    return D3D_OK;
}

HRESULT clear(Device* device, uint32_t rectCount, const Rect* rects, uint32_t flags,
              uint32_t colour, float, uint32_t) {
    if (!drawable(device)) {
        return D3DERR_INVALIDCALL;
    }
    if ((flags & D3DCLEAR_TARGET) == 0) {
        return D3D_OK;  // no depth or stencil buffer to clear
    }
    device->quads.flush(device->renderer);  // sprites drawn before the clear go under it
    SDL_SetRenderDrawColor(device->renderer, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF,
                           colour & 0xFF, colour >> 24);
    if (rectCount == 0 || rects == nullptr) {
        SDL_RenderClear(device->renderer);
        return D3D_OK;
    }
    SDL_SetRenderDrawBlendMode(device->renderer, SDL_BLENDMODE_NONE);
    for (uint32_t index = 0; index < rectCount; ++index) {
        const Rect& rect = rects[index];
        SDL_Rect area{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        SDL_RenderFillRect(device->renderer, &area);
    }
    return D3D_OK;
}

HRESULT beginScene(Device* device) {
    if (!drawable(device) || device->inScene) {
        return D3DERR_INVALIDCALL;
    }
    device->inScene = true;
    return D3D_OK;
}

HRESULT endScene(Device* device) {
    if (!drawable(device) || !device->inScene) {
        return D3DERR_INVALIDCALL;
    }
    device->inScene = false;
    return D3D_OK;
}

HRESULT present(Device* device) {
    if (!drawable(device)) {
        return D3DERR_INVALIDCALL;
    }
    if (device->needsReset || (fullscreen(*device) && minimised(*device))) {
        return D3DERR_DEVICELOST;
    }
    device->quads.flush(device->renderer);  // shown even when a sprite batch was left open
    SDL_RenderPresent(device->renderer);
    return D3D_OK;
}

}  // namespace platform
