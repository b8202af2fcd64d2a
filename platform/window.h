// Window services: one class registry and top-level windows that the graphics device presents
// into. Results follow the OS calls they stand for; the graphics layer examines none of them.
#pragma once

#include <cstdint>
#include <string>

#include "types.h"

namespace platform {

// Records a window class; a later class of the same name replaces it. False when the class has
// no name or no procedure.
bool registerClass(const WindowClass& windowClass);

// Creates a hidden window of a registered class with the given style and outer placement
// (CW_USEDEFAULT for x lets the system choose). Null when the class is unknown or no window
// can be made (no display, for instance; the reason then goes to standard error).
WindowHandle createWindow(const std::string& className, const std::string& title, uint32_t style,
                          int x, int y, int width, int height);

// Destroys the window; its handle must not be used again. Null is ignored.
void destroyWindow(WindowHandle window);

// Repaints the window now if it needs it; true on success.
bool updateWindow(WindowHandle window);

// Sets the style (GWL_STYLE) or extended style (GWL_EXSTYLE) and returns the previous value;
// the window's frame follows the new style. 0 for another index.
int32_t setWindowLong(WindowHandle window, int index, int32_t value);

// Reads the style (GWL_STYLE) or extended style (GWL_EXSTYLE); 0 for another index.
int32_t getWindowLong(WindowHandle window, int index);

// Grows a client rectangle to the outer rectangle of a window with the given styles.
bool adjustWindowRectEx(Rect& rect, uint32_t style, bool hasMenu, uint32_t exStyle);

// Moves and sizes the outer window (unless SWP_NOMOVE / SWP_NOSIZE) and puts it above
// (HWND_TOPMOST) or among (HWND_NOTOPMOST) the other windows.
bool setWindowPos(WindowHandle window, int insertAfter, int x, int y, int width, int height,
                  uint32_t flags);

// Shows (SW_SHOW) or hides (SW_HIDE) the window; true when it was visible before.
bool showWindow(WindowHandle window, int command);

// Gives the window the keyboard focus.
void setFocus(WindowHandle window);

}  // namespace platform
