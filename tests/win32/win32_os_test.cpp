// The Win32 driver's clock, key state and data folder against the real system calls.
#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"

#include <windows.h>

namespace {

TEST(Win32OsTest, TheClockAdvancesAcrossASleep) {
    uint32_t before = platform::timeGetTime();
    platform::sleep(50);
    uint32_t elapsed = platform::timeGetTime() - before;  // unsigned: right across a wrap too
    EXPECT_GE(elapsed, 45u);
    EXPECT_LT(elapsed, 5000u);
}

void sendKey(WORD virtualKey, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(1, &input, sizeof(input)), 1u);
}

TEST(Win32OsTest, KeyStateReadsTheKeyboardAndRejectsOtherNumbers) {
    sendKey(VK_LEFT, true);
    EXPECT_NE(platform::getAsyncKeyState(VK_LEFT) & 0x8000, 0) << "down now";
    sendKey(VK_LEFT, false);
    EXPECT_EQ(platform::getAsyncKeyState(VK_LEFT) & 0x8000, 0);
    EXPECT_EQ(platform::getAsyncKeyState(-1), 0);
    EXPECT_EQ(platform::getAsyncKeyState(256), 0);
}

TEST(Win32OsTest, CommonDataFolderCreatesTheSubDirectory) {
    std::string path;
    ASSERT_TRUE(platform::commonDataFolder("Tumblix Driver Test\\Nested", path));
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string suffix = std::string(1, platform::pathSeparator()) + "Tumblix Driver Test\\Nested";
    ASSERT_GE(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);

    std::string again = "untouched";
    ASSERT_TRUE(platform::commonDataFolder("Tumblix Driver Test\\Nested", again));
    EXPECT_EQ(again, path) << "an existing folder is found, not an error";
    RemoveDirectoryA(path.c_str());
    RemoveDirectoryA(path.substr(0, path.rfind('\\')).c_str());
}

TEST(Win32OsTest, AnUnusableSubDirectoryFailsAndLeavesThePathAlone) {
    std::string path = "untouched";
    EXPECT_FALSE(platform::commonDataFolder("bad<name>", path));
    EXPECT_EQ(path, "untouched");
}

}  // namespace
