// The Win32 driver's OS services: the thread's message queue, the multimedia clock, the
// asynchronous key state, message boxes and the common application data folder.
#include <array>
#include <utility>

#include "platform/os.h"
#include "platform/types.h"
#include "platform/win32/win32_state.h"

#include <windows.h>

#include <mmsystem.h>
#include <shlobj.h>

namespace {

// The native message behind the Message that peekMessage last handed out. Dispatching that
// Message dispatches the native one, with its time and cursor position, and also reaches
// windows the engine does not own (the engine sees those with no window).
struct Peeked {
    MSG native{};
    platform::Message message;
    bool valid = false;
};
Peeked lastPeeked;

// Which keys went down, by the key messages the pump took off the queue, since each key's last
// read. The OS's own "pressed since the last call" bit is documented as unreliable and Wine
// does not keep it, so without this a tap that begins and ends between two frames is lost.
std::array<bool, 256> pressedSinceRead{};

void notePress(const MSG& native) {
    if ((native.message == WM_KEYDOWN || native.message == WM_SYSKEYDOWN) &&
        native.wParam < pressedSinceRead.size()) {
        pressedSinceRead[native.wParam] = true;
    }
}

bool isLastPeeked(const platform::Message& message) {
    return lastPeeked.valid && message.window == lastPeeked.message.window &&
           message.message == lastPeeked.message.message &&
           message.wParam == lastPeeked.message.wParam &&
           message.lParam == lastPeeked.message.lParam;
}

MSG nativeOf(const platform::Message& message) {
    if (isLastPeeked(message)) {
        return lastPeeked.native;
    }
    MSG native{};
    native.hwnd = win32::nativeWindow(message.window);
    native.message = message.message;
    native.wParam = message.wParam;
    native.lParam = message.lParam;
    native.time = GetMessageTime();
    return native;
}

// Sleep(1) waits a whole scheduler tick (about 15.6 ms) at the system's default timer
// resolution, which would cap the frame loop near 64 frames a second; the clock's resolution
// is raised to 1 ms for the life of the process, as games do.
void useFineTimer() {
    static const bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)raised;
}

}  // namespace

namespace platform {

bool peekMessage(Message& message) {
    MSG native;
    BOOL got = PeekMessageA(&native, nullptr, 0, 0, PM_REMOVE);
    win32::rethrowHeldException();  // a message sent to a window while peeking
    if (got == 0) {
        return false;
    }
    notePress(native);
    message = Message{win32::windowOf(native.hwnd), native.message, native.wParam, native.lParam};
    lastPeeked = Peeked{native, message, true};
    return true;
}

bool translateMessage(const Message& message) {
    MSG native = nativeOf(message);
    return TranslateMessage(&native) != 0;
}

intptr_t dispatchMessage(const Message& message) {
    MSG native = nativeOf(message);
    // A queued thread message still goes to the system (a timer's callback rides on one); a
    // message the engine made up for no window, or for a window that is gone, goes nowhere.
    if (native.hwnd == nullptr && !isLastPeeked(message)) {
        return 0;
    }
    LRESULT result = DispatchMessageA(&native);
    win32::rethrowHeldException();
    return result;
}

void postQuitMessage(int exitCode) {
    PostQuitMessage(exitCode);
}

intptr_t defWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND native = win32::nativeWindow(window);
    return native != nullptr ? DefWindowProcA(native, message, wParam, lParam) : 0;
}

void sleep(uint32_t milliseconds) {
    useFineTimer();
    Sleep(milliseconds);
}

uint32_t timeGetTime() {
    useFineTimer();
    return ::timeGetTime();
}

int16_t getAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) {
        return 0;
    }
    // "Down now" stays the system's: it is reliable, and a key released while another program
    // has the focus never sends this thread its key-up.
    const bool down = (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
    const bool pressed = std::exchange(pressedSinceRead[static_cast<size_t>(virtualKey)], false);
    return static_cast<int16_t>((down ? 0x8000 : 0) | (pressed ? 1 : 0));
}

int messageBox(const std::string& text, const std::string& caption, uint32_t style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

bool commonDataFolder(const std::string& subDirectory, std::string& path) {
    char folder[MAX_PATH];
    const char* sub = subDirectory.empty() ? nullptr : subDirectory.c_str();
    if (FAILED(SHGetFolderPathAndSubDirA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                         SHGFP_TYPE_CURRENT, sub, folder))) {
        return false;
    }
    path = folder;
    return true;
}

char pathSeparator() {
    return '\\';
}

}  // namespace platform
