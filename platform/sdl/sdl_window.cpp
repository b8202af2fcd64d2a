// The SDL driver's windows. A window's style chooses its frame: WS_CAPTION gives a bordered
// window, anything else a borderless one. Placement is given for the outer window, as the OS
// call takes it, and turned into SDL's client placement with the frame insets last seen.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "platform/constants.h"
#include "platform/sdl/sdl_state.h"
#include "platform/window.h"

using platform::Window;
using platform::WindowHandle;

namespace {

std::map<std::string, platform::WindowClass>& classes() {
    static std::map<std::string, platform::WindowClass> registry;
    return registry;
}

// Every window ever created; a destroyed one keeps its record (with no native window) so a
// stale handle never points at freed memory.
std::vector<std::unique_ptr<Window>>& windows() {
    static std::vector<std::unique_ptr<Window>> all;
    return all;
}

// Frame sizes of a bordered window, as the window manager last reported them. Zero until a
// bordered window has been shown; adjustWindowRectEx and setWindowPos use the same values, so
// the client area lands where it was asked for either way.
struct Insets {
    int top = 0, left = 0, bottom = 0, right = 0;
};
Insets frameInsets;

bool bordered(uint32_t style) {
    return (style & platform::WS_CAPTION) == platform::WS_CAPTION;
}

void learnInsets(SDL_Window* native) {
    Insets seen;
    if (SDL_GetWindowBordersSize(native, &seen.top, &seen.left, &seen.bottom, &seen.right) == 0 &&
        seen.top > 0) {
        frameInsets = seen;
    }
}

bool noDisplayDriver(const char* driver) {
    return driver != nullptr &&
           (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
}

}  // namespace

namespace sdl {

bool startVideo() {
    static bool failed = false;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    // Both the window and the Direct3D object ask: once video has failed, a second try would
    // only repeat SDL's complaints and ours on standard error.
    if (failed) {
        return false;
    }
    failed = true;  // until it succeeds below
    // A window close is a request to the game, not a reason for SDL to quit on its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No display available: %s\n", SDL_GetError());
        return false;
    }
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    if (noDisplayDriver(SDL_GetCurrentVideoDriver()) && !noDisplayDriver(requested)) {
        std::fprintf(stderr,
                     "No display available (set DISPLAY or WAYLAND_DISPLAY to a running display "
                     "server).\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    failed = false;
    return true;
}

SDL_Window* nativeWindow(WindowHandle window) {
    return window != nullptr ? window->native : nullptr;
}

WindowHandle windowFromId(uint32_t windowId) {
    for (auto& window : windows()) {
        if (window->native != nullptr && SDL_GetWindowID(window->native) == windowId) {
            return window.get();
        }
    }
    return nullptr;
}

WindowHandle mainWindow() {
    for (auto& window : windows()) {
        if (window->native != nullptr) {
            return window.get();
        }
    }
    return nullptr;
}

platform::WindowProcedure procedureOf(WindowHandle window) {
    if (window == nullptr || window->native == nullptr) {
        return nullptr;
    }
    auto found = classes().find(window->className);
    return found == classes().end() ? nullptr : found->second.procedure;
}

}  // namespace sdl

namespace platform {

bool registerClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || windowClass.procedure == nullptr) {
        return false;
    }
    classes()[windowClass.name] = windowClass;
    return true;
}

WindowHandle createWindow(const std::string& className, const std::string& title, uint32_t style,
                          int x, int y, int width, int height) {
    auto found = classes().find(className);
    if (found == classes().end() || !sdl::startVideo()) {
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN | (bordered(style) ? 0 : SDL_WINDOW_BORDERLESS);
    int left = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x;
    int top = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y;
    SDL_Window* native = SDL_CreateWindow(title.c_str(), left, top, width, height, flags);
    if (native == nullptr) {
        std::fprintf(stderr, "Cannot create a window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (!found->second.iconPath.empty()) {
        // An icon file that cannot be read leaves the window with the system's icon.
        if (SDL_Surface* icon = IMG_Load(found->second.iconPath.c_str())) {
            SDL_SetWindowIcon(native, icon);
            SDL_FreeSurface(icon);
        }
    }
    SDL_DisableScreenSaver();
    auto window = std::make_unique<Window>();
    window->native = native;
    window->className = className;
    window->style = style & ~WS_VISIBLE;
    windows().push_back(std::move(window));
    return windows().back().get();
}

void destroyWindow(WindowHandle window) {
    if (window != nullptr && window->native != nullptr) {
        SDL_DestroyWindow(window->native);
        window->native = nullptr;
    }
}

bool updateWindow(WindowHandle window) {
    return sdl::nativeWindow(window) != nullptr;
}

int32_t setWindowLong(WindowHandle window, int index, int32_t value) {
    SDL_Window* native = sdl::nativeWindow(window);
    if (native == nullptr || (index != GWL_STYLE && index != GWL_EXSTYLE)) {
        return 0;
    }
    uint32_t& field = index == GWL_STYLE ? window->style : window->exStyle;
    int32_t previous = static_cast<int32_t>(field);
    field = static_cast<uint32_t>(value);
    if (index == GWL_STYLE) {
        SDL_SetWindowBordered(native, bordered(field) ? SDL_TRUE : SDL_FALSE);
    }
    return previous;
}

int32_t getWindowLong(WindowHandle window, int index) {
    if (sdl::nativeWindow(window) == nullptr) {
        return 0;
    }
    if (index == GWL_STYLE) {
        return static_cast<int32_t>(window->style);
    }
    return index == GWL_EXSTYLE ? static_cast<int32_t>(window->exStyle) : 0;
}

bool adjustWindowRectEx(Rect& rect, uint32_t style, bool, uint32_t) {
    if (bordered(style)) {
        rect.left -= frameInsets.left;
        rect.top -= frameInsets.top;
        rect.right += frameInsets.right;
        rect.bottom += frameInsets.bottom;
    }
    return true;
}

bool setWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                  uint32_t flags) {
    SDL_Window* native = sdl::nativeWindow(window);
    if (native == nullptr) {
        return false;
    }
    Insets insets = bordered(window->style) ? frameInsets : Insets{};
    if ((flags & SWP_NOMOVE) == 0) {
        SDL_SetWindowPosition(native, x + insets.left, y + insets.top);
    }
    if ((flags & SWP_NOSIZE) == 0) {
        SDL_SetWindowSize(native, width - insets.left - insets.right,
                          height - insets.top - insets.bottom);
    }
    SDL_SetWindowAlwaysOnTop(native, insertAfter == HWND_TOPMOST ? SDL_TRUE : SDL_FALSE);
    return true;
}

bool showWindow(WindowHandle window, int command) {
    SDL_Window* native = sdl::nativeWindow(window);
    if (native == nullptr) {
        return false;
    }
    bool wasVisible = (SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE) {
        SDL_HideWindow(native);
    } else {
        SDL_ShowWindow(native);
        if (bordered(window->style)) {
            learnInsets(native);
        }
    }
    return wasVisible;
}

void setFocus(WindowHandle window) {
    if (SDL_Window* native = sdl::nativeWindow(window)) {
        SDL_RaiseWindow(native);
    }
}

}  // namespace platform
