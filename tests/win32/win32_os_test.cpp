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

std::string contentsOf(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    char buffer[64];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

void writeFile(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(Win32OsTest, ReplaceFilePutsTheNewFileInPlaceOrLeavesBothAlone) {
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string target = std::string(folder) + "tumblix-replace-test.sav";
    const std::string temporary = target + ".saving";
    DeleteFileA(target.c_str());

    writeFile(temporary, "first");
    ASSERT_TRUE(platform::replaceFile(temporary, target)) << "no target yet";
    EXPECT_EQ(contentsOf(target), "first");
    EXPECT_EQ(contentsOf(temporary), "<missing>");

    writeFile(temporary, "second");
    ASSERT_TRUE(platform::replaceFile(temporary, target)) << "over the old target";
    EXPECT_EQ(contentsOf(target), "second");

    EXPECT_FALSE(platform::replaceFile(temporary, target)) << "the temporary is gone";
    EXPECT_EQ(contentsOf(target), "second");
    DeleteFileA(target.c_str());
}

}  // namespace
