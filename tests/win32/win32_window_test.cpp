// The Win32 driver's windows and message pump on a real window system (Wine under Xvfb in the
// check): what the graphics layer relies on when it styles, places and closes its window.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/os.h"
#include "platform/types.h"
#include "platform/win32/win32_state.h"
#include "platform/window.h"

#include <windows.h>

namespace {

constexpr uint32_t kPopup = 0x86000000;     // WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
constexpr uint32_t kWindowed = 0x06CA0000;  // clip flags, caption, system menu, minimise box

UINT throwOn = 0;  // a message the procedure answers by throwing

intptr_t testProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
    if (message == throwOn) {
        throw 42;
    }
    return platform::defWindowProc(window, message, wParam, lParam);
}

// A hidden popup window of the engine's, made as the graphics layer makes it.
class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::registerClass({"Win32Test", 0x2B, testProcedure, ""}));
        window =
            platform::createWindow("Win32Test", "driver test", kPopup, CW_USEDEFAULT, 0, 320, 240);
        ASSERT_NE(window, nullptr);
        drain();
    }
    void TearDown() override {
        throwOn = 0;
        platform::destroyWindow(window);
        drain();
    }

    // Runs the pump as the frame loop does until the queue is empty.
    static void drain() {
        platform::Message message;
        while (platform::peekMessage(message)) {
            platform::translateMessage(message);
            platform::dispatchMessage(message);
        }
    }

    HWND native() const { return win32::nativeWindow(window); }
    bool topMost() const { return GetWindowLongA(native(), GWL_EXSTYLE) & WS_EX_TOPMOST; }

    platform::WindowHandle window = nullptr;
};

// The graphics layer's set-ups: the window is shown; full screen puts it on top; windowed
// restyles it, grows the client rectangle by the frame of the style read back and places it,
// and the client area must land exactly on the rectangle asked for.
TEST_F(Win32WindowTest, FullScreenAndWindowedSetUpsStyleAndPlaceTheWindow) {
    EXPECT_FALSE(platform::showWindow(window, SW_SHOW)) << "it was hidden";
    EXPECT_TRUE(platform::showWindow(window, SW_SHOW)) << "it was shown";
    ASSERT_TRUE(
        platform::setWindowPos(window, -1 /* HWND_TOPMOST */, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_TRUE(topMost());

    EXPECT_EQ(static_cast<uint32_t>(platform::setWindowLong(window, GWL_STYLE, kWindowed)),
              kPopup | WS_VISIBLE);
    uint32_t style = static_cast<uint32_t>(platform::getWindowLong(window, GWL_STYLE));
    EXPECT_EQ(style, kWindowed | WS_VISIBLE) << "a new style must not hide a shown window";
    platform::Rect rect{40, 30, 40 + 400, 30 + 300};
    ASSERT_TRUE(platform::adjustWindowRectEx(
        rect, style, false, static_cast<uint32_t>(platform::getWindowLong(window, GWL_EXSTYLE))));
    ASSERT_TRUE(platform::setWindowPos(window, -2 /* HWND_NOTOPMOST */, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, 0));
    drain();
    EXPECT_FALSE(topMost());
    RECT client;
    ASSERT_TRUE(GetClientRect(native(), &client));
    MapWindowPoints(native(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(std::tuple(client.left, client.top, client.right, client.bottom),
              std::tuple(40, 30, 440, 330));
}

TEST_F(Win32WindowTest, ExceptionsFromTheProcedureComeOutOfTheDriverCall) {
    throwOn = WM_USER + 1;  // posted, then dispatched
    PostMessageA(native(), throwOn, 0, 0);
    platform::Message message;
    ASSERT_TRUE(platform::peekMessage(message));
    EXPECT_EQ(message.window, window);
    EXPECT_THROW(platform::dispatchMessage(message), int);

    throwOn = WM_SHOWWINDOW;  // sent from inside the system's ShowWindow
    EXPECT_THROW(platform::showWindow(window, SW_SHOW), int);
    throwOn = 0;
    EXPECT_NO_THROW(platform::showWindow(window, SW_HIDE)) << "a caught exception comes out once";
}

TEST_F(Win32WindowTest, DestroyedWindowsAnswerNothing) {
    platform::destroyWindow(window);
    EXPECT_FALSE(platform::showWindow(window, SW_SHOW));
    EXPECT_FALSE(platform::updateWindow(window));
    EXPECT_EQ(platform::getWindowLong(window, GWL_STYLE), 0);
    EXPECT_EQ(platform::setWindowLong(window, GWL_STYLE, kWindowed), 0);
    EXPECT_EQ(platform::defWindowProc(window, WM_CLOSE, 0, 0), 0);
    platform::destroyWindow(window);  // a second destroy is ignored
}

// Messages for no window of the engine's come out of the pump with no window and still reach
// the system: one posted to a window the engine did not make, and a timer of the thread itself.
TEST_F(Win32WindowTest, ForeignWindowsAndThreadTimersAreStillServed) {
    static int served[2];  // the foreign window's message, the thread's timer
    served[0] = served[1] = 0;
    HWND foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    WNDPROC counting = [](HWND native, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        served[0] += message == WM_USER + 2;
        return DefWindowProcA(native, message, wParam, lParam);
    };
    SetWindowLongPtrA(foreign, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting));
    PostMessageA(foreign, WM_USER + 2, 0, 0);
    UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { ++served[1]; });
    ASSERT_NE(timer, 0u);
    platform::Message message;
    for (int pass = 0; pass < 200 && served[1] == 0; ++pass) {
        platform::sleep(5);
        while (platform::peekMessage(message)) {
            if (message.message == WM_USER + 2 || message.message == WM_TIMER) {
                EXPECT_EQ(message.window, nullptr);
            }
            platform::dispatchMessage(message);
        }
    }
    KillTimer(nullptr, timer);
    DestroyWindow(foreign);
    EXPECT_EQ(served[0], 1) << "the foreign window's message";
    EXPECT_GT(served[1], 0) << "the thread's timer";
}

}  // namespace
