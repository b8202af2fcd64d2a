// Plain value types that cross the platform boundary. No driver type leaks through here: a
// window is an opaque handle that only the linked driver can look inside.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct Window;                 // defined by each driver
using WindowHandle = Window*;  // null means "no window"

struct WritableFile;               // a file open for writing, defined by each driver
using FileHandle = WritableFile*;  // null means "no file"

// One queued window message, as the pump hands it out.
struct Message {
    WindowHandle window = nullptr;  // the addressee; null for thread messages such as WM_QUIT
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The procedure that handles a window's messages; returns the message's result.
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What registering a window class records. The driver supplies the arrow cursor and a black
// background itself; an empty iconPath asks for the system's default application icon.
struct WindowClass {
    std::string name;
    uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    std::string iconPath;
};

}  // namespace platform
