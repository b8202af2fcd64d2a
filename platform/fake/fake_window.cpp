// The fake driver's windows: records of what the engine asked for, readable by tests.
#include <filesystem>
#include <stdexcept>

#include "platform/constants.h"
#include "platform/fake/fake_state.h"
#include "platform/window.h"

namespace fake {

namespace detail {
State& state() {
    static State instance;
    return instance;
}
}  // namespace detail

std::vector<platform::WindowHandle> windows() {
    std::vector<platform::WindowHandle> handles;
    for (auto& window : detail::state().windows) {
        handles.push_back(window.get());
    }
    return handles;
}

const WindowState& windowState(platform::WindowHandle window) {
    if (window == nullptr) {
        throw std::invalid_argument("fake::windowState: null window");
    }
    return window->state;
}

void failNextWindow() {
    detail::state().failNextWindow = true;
}

}  // namespace fake

namespace platform {

using fake::detail::state;

namespace {
bool alive(WindowHandle window) {
    return window != nullptr && !window->state.destroyed;
}
}  // namespace

bool registerClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || windowClass.procedure == nullptr) {
        return false;
    }
    state().classes[windowClass.name] = windowClass;
    return true;
}

WindowHandle createWindow(const std::string& className, const std::string& title, uint32_t style,
                          int x, int y, int width, int height) {
    auto found = state().classes.find(className);
    if (found == state().classes.end() || state().failNextWindow) {
        state().failNextWindow = false;
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->state.className = className;
    window->state.title = title;
    window->state.style = style & ~WS_VISIBLE;
    window->state.x = x == CW_USEDEFAULT ? 0 : x;
    window->state.y = y;
    window->state.width = width;
    window->state.height = height;
    // A class icon path that names no file leaves the class without an icon.
    const std::string& icon = found->second.iconPath;
    window->state.hasIcon = icon.empty() || std::filesystem::is_regular_file(icon);
    state().windows.push_back(std::move(window));
    return state().windows.back().get();
}

void destroyWindow(WindowHandle window) {
    if (alive(window)) {
        window->state.destroyed = true;
        window->state.visible = false;
    }
}

bool updateWindow(WindowHandle window) {
    return alive(window);
}

int32_t setWindowLong(WindowHandle window, int index, int32_t value) {
    if (!alive(window)) {
        return 0;
    }
    uint32_t* field = index == GWL_STYLE     ? &window->state.style
                      : index == GWL_EXSTYLE ? &window->state.exStyle
                                             : nullptr;
    if (field == nullptr) {
        return 0;
    }
    int32_t previous = static_cast<int32_t>(*field);
    *field = static_cast<uint32_t>(value);
    return previous;
}

int32_t getWindowLong(WindowHandle window, int index) {
    if (!alive(window)) {
        return 0;
    }
    if (index == GWL_STYLE) {
        return static_cast<int32_t>(window->state.style);
    }
    if (index == GWL_EXSTYLE) {
        return static_cast<int32_t>(window->state.exStyle);
    }
    return 0;
}

bool adjustWindowRectEx(Rect& rect, uint32_t style, bool, uint32_t) {
    if ((style & WS_CAPTION) == WS_CAPTION) {
        rect.left -= fake::kBorder;
        rect.right += fake::kBorder;
        rect.top -= fake::kBorder + fake::kCaption;
        rect.bottom += fake::kBorder;
    }
    return true;
}

bool setWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                  uint32_t flags) {
    if (!alive(window)) {
        return false;
    }
    if ((flags & SWP_NOMOVE) == 0) {
        window->state.x = x;
        window->state.y = y;
    }
    if ((flags & SWP_NOSIZE) == 0) {
        window->state.width = width;
        window->state.height = height;
    }
    window->state.topMost = insertAfter == HWND_TOPMOST;
    return true;
}

bool showWindow(WindowHandle window, int command) {
    if (!alive(window)) {
        return false;
    }
    bool wasVisible = window->state.visible;
    window->state.visible = command != SW_HIDE;
    return wasVisible;
}

void setFocus(WindowHandle window) {
    for (auto& each : state().windows) {
        each->state.focused = each.get() == window && alive(window);
    }
}

}  // namespace platform
