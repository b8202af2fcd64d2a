// The Win32 driver's key state, data folder and file services against the real system calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/os.h"

#include <windows.h>

namespace {

// The keys themselves are played in the Windows game's check.
TEST(Win32OsTest, KeyStateRejectsNumbersThatNameNoKey) {
    EXPECT_EQ(platform::getAsyncKeyState(-1), 0);
    EXPECT_EQ(platform::getAsyncKeyState(256), 0);
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
