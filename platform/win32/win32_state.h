// What the Win32 driver's service files share: its window records and the way an exception
// thrown by a window procedure gets back to the engine. Include after the platform headers:
// <windows.h> defines the names of platform/constants.h as macros.
#pragma once

#include <string>

#include "platform/types.h"

#include <windows.h>

namespace platform {
// The engine's handle to a window. The record outlives its native window (native is null once
// the window is destroyed), so a stale handle never reaches a recycled HWND.
struct Window {
    HWND native = nullptr;
    std::string className;
};
}  // namespace platform

namespace win32 {

// The native window behind a handle; null for a null or destroyed handle.
HWND nativeWindow(platform::WindowHandle window);

// The engine's record of one of its own windows; null for a window the driver did not create.
platform::WindowHandle windowOf(HWND native);

// An exception must not unwind through the system's frames between a message call and the
// window procedure (a sent message may arrive through a kernel callback). The procedure holds
// what it caught; every driver call that can run a window procedure rethrows it on return.
void holdException();
void rethrowHeldException();

}  // namespace win32
