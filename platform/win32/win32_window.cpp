// The Win32 driver's windows. Every class the engine registers runs one native procedure that
// finds the window's record and calls the procedure the engine gave for its class, so messages
// reach the engine with its own handle; the class registry lives here, keyed by name.
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/types.h"
#include "platform/win32/win32_state.h"
#include "platform/window.h"

#include <windows.h>

using platform::Window;
using platform::WindowHandle;

namespace {

std::map<std::string, platform::WindowClass>& classes() {
    static std::map<std::string, platform::WindowClass> registry;
    return registry;
}

std::vector<std::unique_ptr<Window>>& windows() {
    static std::vector<std::unique_ptr<Window>> all;
    return all;
}

std::exception_ptr& heldException() {
    static std::exception_ptr held;
    return held;
}

// Style bits that describe the window's state rather than its look; ShowWindow and the user
// change them, so a new style keeps them as they are.
constexpr LONG kStateBits = WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE;

platform::WindowProcedure procedureOf(const Window& window) {
    auto found = classes().find(window.className);
    return found == classes().end() ? nullptr : found->second.procedure;
}

LRESULT CALLBACK classProcedure(HWND native, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(native, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        // The record rides in through CreateWindowExA's last argument.
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        window->native = native;
        SetWindowLongPtrA(native, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    platform::WindowProcedure procedure = window != nullptr ? procedureOf(*window) : nullptr;
    LRESULT result = 0;
    if (procedure == nullptr) {
        result = DefWindowProcA(native, message, wParam, lParam);
    } else {
        try {
            result = procedure(window, message, wParam, lParam);
        } catch (...) {
            win32::holdException();
        }
    }
    if (message == WM_NCDESTROY && window != nullptr) {
        SetWindowLongPtrA(native, GWLP_USERDATA, 0);
        window->native = nullptr;
    }
    return result;
}

HICON iconOf(const std::string& iconPath) {
    if (iconPath.empty()) {
        return LoadIconA(nullptr, IDI_APPLICATION);
    }
    // An icon file that cannot be read leaves the class without an icon.
    return static_cast<HICON>(
        LoadImageA(nullptr, iconPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

}  // namespace

namespace win32 {

HWND nativeWindow(WindowHandle window) {
    return window != nullptr ? window->native : nullptr;
}

WindowHandle windowOf(HWND native) {
    if (native == nullptr) {
        return nullptr;
    }
    for (auto& window : windows()) {
        if (window->native == native) {
            return window.get();
        }
    }
    return nullptr;
}

void holdException() {
    // The first failure is the one worth reporting; later ones are its consequences.
    if (!heldException()) {
        heldException() = std::current_exception();
    }
}

void rethrowHeldException() {
    if (std::exception_ptr held = std::exchange(heldException(), nullptr)) {
        std::rethrow_exception(held);
    }
}

}  // namespace win32

namespace platform {

bool registerClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || windowClass.procedure == nullptr) {
        return false;
    }
    // On a scaled desktop the system would otherwise stretch the window's pixels and hand out
    // scaled window coordinates, while the adapter's display mode stays in device pixels: the
    // game would come out blurred and placed off the centre it computes.
    static const bool devicePixels = SetProcessDPIAware() != 0;
    (void)devicePixels;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA native{};
    native.cbSize = sizeof(native);
    native.style = windowClass.style;
    native.lpfnWndProc = classProcedure;
    native.hInstance = instance;
    native.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    native.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    native.lpszClassName = windowClass.name.c_str();
    native.hIcon = iconOf(windowClass.iconPath);
    native.hIconSm = native.hIcon;
    // A class registered before is replaced when none of its windows is left; otherwise its
    // windows keep the old icon and styles, and the new procedure takes over their messages.
    UnregisterClassA(windowClass.name.c_str(), instance);
    if (RegisterClassExA(&native) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    classes()[windowClass.name] = windowClass;
    return true;
}

WindowHandle createWindow(const std::string& className, const std::string& title, uint32_t style,
                          int x, int y, int width, int height) {
    if (classes().count(className) == 0) {
        return nullptr;
    }
    windows().push_back(std::make_unique<Window>());
    Window* window = windows().back().get();
    window->className = className;
    HWND native =
        CreateWindowExA(0, className.c_str(), title.c_str(), style & ~WS_VISIBLE, x, y, width,
                        height, nullptr, nullptr, GetModuleHandleA(nullptr), window);
    if (native == nullptr) {
        std::fprintf(stderr, "Cannot create a window (error %lu).\n", GetLastError());
        window->native = nullptr;  // a procedure that refused WM_NCCREATE has seen the record
    }
    win32::rethrowHeldException();
    return native != nullptr ? window : nullptr;
}

void destroyWindow(WindowHandle window) {
    if (HWND native = win32::nativeWindow(window)) {
        DestroyWindow(native);
        win32::rethrowHeldException();
    }
}

bool updateWindow(WindowHandle window) {
    HWND native = win32::nativeWindow(window);
    bool updated = native != nullptr && UpdateWindow(native) != 0;
    win32::rethrowHeldException();
    return updated;
}

int32_t setWindowLong(WindowHandle window, int index, int32_t value) {
    HWND native = win32::nativeWindow(window);
    if (native == nullptr || (index != GWL_STYLE && index != GWL_EXSTYLE)) {
        return 0;
    }
    if (index == GWL_STYLE) {
        value = (value & ~kStateBits) | (GetWindowLongA(native, GWL_STYLE) & kStateBits);
    }
    LONG previous = SetWindowLongA(native, index, value);
    // The system keeps the old frame until it is told to measure the window again.
    SetWindowPos(native, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    win32::rethrowHeldException();
    return previous;
}

int32_t getWindowLong(WindowHandle window, int index) {
    HWND native = win32::nativeWindow(window);
    if (native == nullptr || (index != GWL_STYLE && index != GWL_EXSTYLE)) {
        return 0;
    }
    return GetWindowLongA(native, index);
}

bool adjustWindowRectEx(Rect& rect, uint32_t style, bool hasMenu, uint32_t exStyle) {
    RECT native{rect.left, rect.top, rect.right, rect.bottom};
    if (AdjustWindowRectEx(&native, style, hasMenu ? TRUE : FALSE, exStyle) == 0) {
        return false;
    }
    rect = Rect{native.left, native.top, native.right, native.bottom};
    return true;
}

bool setWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                  uint32_t flags) {
    HWND native = win32::nativeWindow(window);
    if (native == nullptr) {
        return false;
    }
    // The z-order choices are the pseudo-handles HWND_TOPMOST (-1) and HWND_NOTOPMOST (-2).
    HWND after = reinterpret_cast<HWND>(static_cast<intptr_t>(insertAfter));
    bool placed = SetWindowPos(native, after, x, y, width, height, flags) != 0;
    win32::rethrowHeldException();
    return placed;
}

bool showWindow(WindowHandle window, int command) {
    HWND native = win32::nativeWindow(window);
    if (native == nullptr) {
        return false;
    }
    bool wasVisible = ShowWindow(native, command) != 0;
    win32::rethrowHeldException();
    return wasVisible;
}

void setFocus(WindowHandle window) {
    if (HWND native = win32::nativeWindow(window)) {
        SetFocus(native);
        win32::rethrowHeldException();
    }
}

}  // namespace platform
