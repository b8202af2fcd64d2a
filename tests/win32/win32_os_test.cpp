// The Win32 driver's key state, data folder and file services against the real system calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/os.h"
#include "platform/types.h"

#include <windows.h>

namespace {

// A tap whose key-down and key-up the pump takes in one go, between two frames, reads as
// pressed once, with or without Alt held (the system keys); a key-up alone is no press. Keys
// held down for real are played in the Windows game's check.
TEST(Win32OsTest, KeyTapBetweenTwoReadsCountsOnce) {
    const struct {
        UINT down, up;
        WPARAM key;
        int16_t firstRead;
    } cases[] = {
        {WM_KEYDOWN, WM_KEYUP, VK_LEFT, 1},
        {WM_SYSKEYDOWN, WM_SYSKEYUP, VK_RIGHT, 1},
        {WM_KEYUP, WM_KEYUP, VK_LEFT, 0},
        {WM_KEYDOWN, WM_KEYUP, 300, 0},  // names no key
    };
    for (const auto& tap : cases) {
        ASSERT_TRUE(PostMessageA(nullptr, tap.down, tap.key, 0));
        ASSERT_TRUE(PostMessageA(nullptr, tap.up, tap.key, 0));
        platform::Message message;
        while (platform::peekMessage(message)) {
            platform::translateMessage(message);
            platform::dispatchMessage(message);
        }
        const int key = static_cast<int>(tap.key);
        EXPECT_EQ(platform::getAsyncKeyState(key), tap.firstRead) << tap.down << " " << key;
        EXPECT_EQ(platform::getAsyncKeyState(key), 0) << tap.down << " " << key;
    }
    EXPECT_EQ(platform::getAsyncKeyState(-1), 0);
}

// The folder is made on the first call and found on the next; a name the file system refuses
// fails and leaves the path alone.
TEST(Win32OsTest, CommonDataFolderMakesTheSubDirectoryOrFails) {
    const std::string sub = "Tumblix Driver Test\\Nested";
    std::string path;
    ASSERT_TRUE(platform::commonDataFolder(sub, path));
    EXPECT_TRUE(path.ends_with(platform::pathSeparator() + sub)) << path;
    EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
    std::string again;
    ASSERT_TRUE(platform::commonDataFolder(sub, again));
    EXPECT_EQ(again, path);
    RemoveDirectoryA(path.c_str());
    RemoveDirectoryA(path.substr(0, path.rfind('\\')).c_str());

    EXPECT_FALSE(platform::commonDataFolder("bad<name>", again));
    EXPECT_EQ(again, path) << "a refusal leaves the path alone";
}

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

TEST(Win32OsTest, ReplaceFilePutsTheNewFileInPlaceOrLeavesBothAlone) {
    const std::string target =
        (std::filesystem::temp_directory_path() / "tumblix-replace-test.sav").string();
    const std::string temporary = target + ".saving";
    DeleteFileA(target.c_str());
    for (std::string contents : {"first", "second"}) {  // with no target yet, then over it
        std::ofstream(temporary, std::ios::binary) << contents;
        ASSERT_TRUE(platform::replaceFile(temporary, target)) << contents;
        EXPECT_EQ(contentsOf(target), contents);
        EXPECT_EQ(contentsOf(temporary), "<missing>");
    }
    EXPECT_FALSE(platform::replaceFile(temporary, target)) << "the temporary is gone";
    EXPECT_EQ(contentsOf(target), "second");
    DeleteFileA(target.c_str());
}

// A save's new file is only ever new: a name that is taken is refused and left as it was.
TEST(Win32OsTest, ANewFileNeverTakesATakenNameAndAppendingAddsToTheEnd) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "tumblix-new-file-test.txt").string();
    DeleteFileA(path.c_str());
    platform::FileHandle file = platform::createNewFile(path);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(platform::writeFile(file, "new", 3));
    EXPECT_TRUE(platform::flushToDisk(file));
    EXPECT_TRUE(platform::closeFile(file));
    EXPECT_EQ(platform::createNewFile(path), nullptr);
    EXPECT_TRUE(platform::appendToFile(path, ", and more"));
    EXPECT_EQ(contentsOf(path), "new, and more");
    DeleteFileA(path.c_str());
}

}  // namespace
