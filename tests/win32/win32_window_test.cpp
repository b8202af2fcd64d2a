// The Win32 driver's windows and message pump on a real window system (Wine under Xvfb in the
// check): what the graphics layer relies on when it styles, places and closes its window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/types.h"
#include "platform/win32/win32_state.h"
#include "platform/window.h"

#include <windows.h>

namespace {

constexpr uint32_t kPopup = 0x86000000;     // WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
constexpr uint32_t kWindowed = 0x06CA0000;  // clip flags, caption, system menu, minimise box

std::vector<platform::Message> handled;
UINT throwOn = 0;  // a message the procedure answers by throwing

intptr_t testProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
    handled.push_back(platform::Message{window, message, wParam, lParam});
    if (message == WM_CLOSE) {
        platform::postQuitMessage(0);
        return 0;
    }
    if (message == throwOn) {
        throw 42;
    }
    return platform::defWindowProc(window, message, wParam, lParam);
}

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            platform::registerClass(platform::WindowClass{"Win32Test", 0x2B, testProcedure, ""}));
        window =
            platform::createWindow("Win32Test", "driver test", kPopup, CW_USEDEFAULT, 0, 320, 240);
        ASSERT_NE(window, nullptr);
        drain();
        handled.clear();
        throwOn = 0;
    }
    void TearDown() override {
        throwOn = 0;
        platform::destroyWindow(window);
        drain();
    }

    // Runs the pump as the frame loop does until the queue is empty; the last message taken.
    static platform::Message drain() {
        platform::Message message, last;
        while (platform::peekMessage(message)) {
            platform::translateMessage(message);
            platform::dispatchMessage(message);
            last = message;
        }
        return last;
    }

    bool handledMessage(uint32_t number) const {
        for (const auto& message : handled) {
            if (message.message == number && message.window == window) {
                return true;
            }
        }
        return false;
    }

    HWND native() const { return win32::nativeWindow(window); }

    platform::WindowHandle window = nullptr;
};

TEST_F(Win32WindowTest, StartsHiddenAndReportsEarlierVisibility) {
    EXPECT_FALSE(IsWindowVisible(native()));
    EXPECT_EQ(static_cast<uint32_t>(platform::getWindowLong(window, GWL_STYLE)), kPopup);
    EXPECT_FALSE(platform::showWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(native()));
    EXPECT_TRUE(platform::showWindow(window, SW_SHOW));
    EXPECT_TRUE(platform::showWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(native()));
}

// The windowed set-up of the graphics layer: restyle, grow the client rectangle by the frame of
// the style read back, place. The client area must land exactly on the rectangle asked for.
TEST_F(Win32WindowTest, WindowedPlacementPutsTheClientAreaOnTheRectangle) {
    EXPECT_FALSE(platform::showWindow(window, SW_SHOW));
    EXPECT_EQ(static_cast<uint32_t>(platform::setWindowLong(window, GWL_STYLE, kWindowed)) &
                  ~static_cast<uint32_t>(WS_VISIBLE),
              kPopup);
    uint32_t style = static_cast<uint32_t>(platform::getWindowLong(window, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<uint32_t>(WS_VISIBLE), kWindowed);
    EXPECT_TRUE(IsWindowVisible(native())) << "a new style must not hide a shown window";

    platform::Rect rect{40, 30, 40 + 400, 30 + 300};
    ASSERT_TRUE(platform::adjustWindowRectEx(
        rect, style, false, static_cast<uint32_t>(platform::getWindowLong(window, GWL_EXSTYLE))));
    EXPECT_LT(rect.top, 30) << "the caption adds to the top";
    ASSERT_TRUE(platform::setWindowPos(window, -2 /* HWND_NOTOPMOST */, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, 0));
    drain();

    RECT client;
    ASSERT_TRUE(GetClientRect(native(), &client));
    POINT origin{0, 0};
    ClientToScreen(native(), &origin);
    EXPECT_EQ(client.right - client.left, 400);
    EXPECT_EQ(client.bottom - client.top, 300);
    EXPECT_EQ(origin.x, 40);
    EXPECT_EQ(origin.y, 30);
}

TEST_F(Win32WindowTest, TopMostComesAndGoesWithTheZOrderChoice) {
    platform::setWindowPos(window, -1 /* HWND_TOPMOST */, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongA(native(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    platform::setWindowPos(window, -2 /* HWND_NOTOPMOST */, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLongA(native(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Win32WindowTest, ClosingRunsTheProcedureAndEndsInTheQuitMessage) {
    // The close box sends a system command; the procedure leaves it to the default handling,
    // which asks the window to close.
    PostMessageA(native(), WM_SYSCOMMAND, SC_CLOSE, 0);
    platform::Message last = drain();
    EXPECT_TRUE(handledMessage(WM_SYSCOMMAND));
    EXPECT_TRUE(handledMessage(WM_CLOSE));
    EXPECT_EQ(last.message, static_cast<uint32_t>(WM_QUIT));
    EXPECT_EQ(last.window, nullptr);
    EXPECT_EQ(last.wParam, 0u);
    EXPECT_TRUE(IsWindow(native())) << "closing asks; the window stays";
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
    HWND before = native();
    platform::destroyWindow(window);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_EQ(win32::nativeWindow(window), nullptr);
    EXPECT_FALSE(platform::showWindow(window, SW_SHOW));
    EXPECT_FALSE(platform::updateWindow(window));
    EXPECT_EQ(platform::getWindowLong(window, GWL_STYLE), 0);
    EXPECT_EQ(platform::setWindowLong(window, GWL_STYLE, kWindowed), 0);
    EXPECT_EQ(platform::defWindowProc(window, WM_CLOSE, 0, 0), 0);
    platform::destroyWindow(window);  // a second destroy is ignored
}

// A window the engine did not make comes out of the pump with no window and is still served.
TEST_F(Win32WindowTest, ForeignWindowsAreDispatchedNatively) {
    static int seen = 0;
    WNDCLASSEXA foreign{};
    foreign.cbSize = sizeof(foreign);
    foreign.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_USER + 2) {
            ++seen;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    };
    foreign.hInstance = GetModuleHandleA(nullptr);
    foreign.lpszClassName = "ForeignTest";
    RegisterClassExA(&foreign);
    HWND other = CreateWindowExA(0, "ForeignTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 foreign.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    PostMessageA(other, WM_USER + 2, 0, 0);
    platform::Message message;
    while (platform::peekMessage(message)) {
        if (message.message == WM_USER + 2) {
            EXPECT_EQ(message.window, nullptr);
        }
        platform::dispatchMessage(message);
    }
    EXPECT_EQ(seen, 1);
    DestroyWindow(other);
}

// A timer of the thread arrives with no window; dispatching it must still run its callback.
TEST_F(Win32WindowTest, ThreadTimersStillReachTheirCallbacks) {
    static int fired = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { ++fired; });
    ASSERT_NE(timer, 0u);
    for (int pass = 0; pass < 200 && fired == 0; ++pass) {
        platform::sleep(5);
        drain();
    }
    KillTimer(nullptr, timer);
    EXPECT_GT(fired, 0);
}

}  // namespace
