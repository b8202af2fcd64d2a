// The SDL driver's OS services, headless: SDL_VIDEODRIVER=offscreen and no DISPLAY.
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "../test_support.h"
#include "platform/constants.h"
#include "platform/os.h"
#include "platform/sdl/sdl_state.h"
#include "platform/window.h"

using namespace platform;

namespace {

int closes = 0;

intptr_t closingProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) {
    if (message == WM_CLOSE) {
        ++closes;
        postQuitMessage(0);
        return 0;
    }
    return defWindowProc(window, message, wParam, lParam);
}

class SdlDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registerClass(WindowClass{"DriverTest", 0, closingProcedure, ""}));
        window = createWindow("DriverTest", "driver test", WS_POPUP, CW_USEDEFAULT, 0, 320, 240);
        ASSERT_NE(window, nullptr);
        pumpAll();
        closes = 0;
        getAsyncKeyState(VK_RIGHT);  // clears the latch
    }
    void TearDown() override { destroyWindow(window); }

    static void pushKey(Uint32 type, SDL_Keycode key) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = key;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Runs the pump as the frame loop does: one message per pass until the queue is empty.
    static std::vector<Message> pumpAll() {
        std::vector<Message> taken;
        Message message;
        while (peekMessage(message)) {
            taken.push_back(message);
            translateMessage(message);
            dispatchMessage(message);
        }
        return taken;
    }

    WindowHandle window = nullptr;
};

TEST_F(SdlDriverTest, AWindowCloseOrAQuitRequestReachesTheProcedureAsCloseAndThenQuits) {
    SDL_Event close{}, quit{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(sdl::nativeWindow(window));
    quit.type = SDL_QUIT;  // from outside, e.g. the desktop's session manager
    for (SDL_Event event : {close, quit}) {
        closes = 0;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        std::vector<Message> taken = pumpAll();
        ASSERT_EQ(taken.size(), 2u);
        EXPECT_EQ(taken[0].message, WM_CLOSE);
        EXPECT_EQ(taken[0].window, window);
        EXPECT_EQ(taken[1].message, WM_QUIT);
        EXPECT_EQ(closes, 1);  // the quit is for the loop alone
    }
}

// The latch is the key-state record's own, which the game's rules exercise on the fake driver;
// held keys are played in the end-to-end test.
TEST_F(SdlDriverTest, AKeyTappedBetweenTwoReadsIsSeenOnceAndQueuedAsMessages) {
    pushKey(SDL_KEYDOWN, SDLK_RIGHT);
    pushKey(SDL_KEYUP, SDLK_RIGHT);
    std::vector<Message> taken = pumpAll();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].message, WM_KEYDOWN);
    EXPECT_EQ(taken[0].wParam, static_cast<uintptr_t>(VK_RIGHT));
    EXPECT_EQ(taken[1].message, WM_KEYUP);
    EXPECT_EQ(getAsyncKeyState(VK_RIGHT), 1);
    EXPECT_EQ(getAsyncKeyState(VK_RIGHT), 0);
}

// The first and last of each run of keys, and every key of its own, read as its virtual key.
TEST_F(SdlDriverTest, EveryMappedKeyReadsAsItsVirtualKey) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_a, VK_A}, {SDLK_z, VK_Z}, {SDLK_0, VK_0}, {SDLK_9, VK_9}, {SDLK_F1, VK_F1},
        {SDLK_F12, VK_F12}, {SDLK_KP_0, VK_NUMPAD0}, {SDLK_KP_1, VK_NUMPAD1},
        {SDLK_KP_9, VK_NUMPAD9}, {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_SPACE, VK_SPACE}, {SDLK_BACKSPACE, VK_BACK},
        {SDLK_TAB, VK_TAB}, {SDLK_LSHIFT, VK_SHIFT}, {SDLK_RCTRL, VK_CONTROL},
        {SDLK_LALT, VK_MENU}, {SDLK_PAGEUP, VK_PRIOR}, {SDLK_PAGEDOWN, VK_NEXT},
        {SDLK_HOME, VK_HOME}, {SDLK_END, VK_END}, {SDLK_INSERT, VK_INSERT},
        {SDLK_DELETE, VK_DELETE}, {SDLK_LEFT, VK_LEFT}, {SDLK_DOWN, VK_DOWN}};
    for (auto [key, virtualKey] : keys) {
        SCOPED_TRACE(SDL_GetKeyName(key));
        pushKey(SDL_KEYDOWN, key);
        std::vector<Message> taken = pumpAll();
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_EQ(taken[0].wParam, static_cast<uintptr_t>(virtualKey));
        EXPECT_EQ(getAsyncKeyState(virtualKey), static_cast<int16_t>(0x8001));
        pushKey(SDL_KEYUP, key);
        pumpAll();
        EXPECT_EQ(getAsyncKeyState(virtualKey), 0);
    }
}

// Shift is down while either Shift key is.
TEST_F(SdlDriverTest, ATwoSidedKeyIsUpOnlyWhenBothSidesAre) {
    pushKey(SDL_KEYDOWN, SDLK_LSHIFT);
    pushKey(SDL_KEYDOWN, SDLK_RSHIFT);
    pushKey(SDL_KEYUP, SDLK_LSHIFT);
    pumpAll();
    EXPECT_EQ(getAsyncKeyState(VK_SHIFT), static_cast<int16_t>(0x8001));
    pushKey(SDL_KEYUP, SDLK_RSHIFT);
    pumpAll();
    EXPECT_EQ(getAsyncKeyState(VK_SHIFT), 0);
}

TEST_F(SdlDriverTest, TheDataFolderFollowsXdgAndIsCreated) {
    testing_support::TempDir home;
    std::string previousData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    std::string previousHome = std::getenv("HOME") ? std::getenv("HOME") : "";

    std::string path;
    setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    ASSERT_TRUE(commonDataFolder("Tumblix", path));
    EXPECT_EQ(path, (home.path() / "data" / "Tumblix").string());
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A relative XDG_DATA_HOME is ignored, as XDG asks; the default under HOME applies.
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", home.path().c_str(), 1);
    ASSERT_TRUE(commonDataFolder("Tumblix", path));
    EXPECT_EQ(path, (home.path() / ".local" / "share" / "Tumblix").string());

    setenv("XDG_DATA_HOME", previousData.c_str(), 1);
    setenv("HOME", previousHome.c_str(), 1);
}

}  // namespace
