// What the SDL driver's service files share: its window records and the video start-up.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace platform {
struct Window {
    SDL_Window* native = nullptr;
    std::string className;
    uint32_t style = 0;
    uint32_t exStyle = 0;
};
}  // namespace platform

namespace sdl {

// Starts SDL's video subsystem once. False, with the reason on standard error, when it cannot
// start or when SDL fell back to a driver without a display that nobody asked for
// (SDL_VIDEODRIVER=offscreen or dummy is an explicit request and is accepted).
bool startVideo();

// The SDL window behind a handle; null for a null or destroyed handle.
SDL_Window* nativeWindow(platform::WindowHandle window);

// The live window whose SDL id is `windowId`, or null.
platform::WindowHandle windowFromId(uint32_t windowId);

// The first live window, or null: where a quit request from outside (SIGTERM) is sent.
platform::WindowHandle mainWindow();

// The window procedure registered for the window's class, or null.
platform::WindowProcedure procedureOf(platform::WindowHandle window);

}  // namespace sdl
