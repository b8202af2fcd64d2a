// A full disk, played by a limit on the size of files: a write across the limit stops at it
// and the next one fails, as on a disk that fills up. Nothing may be left half written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "../core_fixture.h"

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing_support::readFile;

namespace {

// No file may grow past `bytes` while this lives. The signal the limit raises is ignored, so a
// write fails instead of ending the process. Checks and their messages wait until it is gone:
// the limit holds for every file, the test's own output too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(uintmax_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limited = before;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limited);
        signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, signalBefore);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before{};
    void (*signalBefore)(int) = SIG_DFL;
};

using FullDiskTest = LoggedCoreTest;

TEST_F(FullDiskTest, ASaveThatDoesNotFitKeepsThePreviousFileAndLeavesNothing) {
    lua("text = string.rep('x', 4000)");
    const std::string target = dir.write("state.bin", "the previous save");
    bool saved = true;
    {
        FileSizeLimit limit(1000);
        saved = core.saveState(target);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(target), "the previous save");
    EXPECT_FALSE(fs::exists(target + ".saving"));
    EXPECT_THAT(readFile(Log::path()), HasSubstr("failed (is the disk full?)"));
}

// A text cut short would leave half a tag, and the next entry, once there is room again, would
// run on inside it: the log's header or an entry that does not fit leaves nothing of itself.
TEST_F(FullDiskTest, ALogTextThatDoesNotFitLeavesNothingForTheNextEntryToRunOnFrom) {
    for (bool header : {true, false}) {
        SCOPED_TRACE(header ? "the header" : "an entry");
        ASSERT_TRUE(Log::open("Game"));
        const std::string before = header ? "" : readFile(Log::path());
        bool opened = true;
        {
            FileSizeLimit limit(before.size() + 40);
            if (header) {
                opened = Log::open("Game");
            } else {
                Log::info("lost to the full disk");
            }
        }
        EXPECT_EQ(opened, !header) << "an open that cannot write the header says so";
        EXPECT_EQ(readFile(Log::path()), before);
        Log::info("room again");
        const std::string added = readFile(Log::path()).substr(before.size());
        EXPECT_THAT(added, StartsWith("<font face='webdings'"));
        EXPECT_THAT(added, EndsWith("]: room again<br>"));
        EXPECT_EQ(added.find("<font face='webdings'", 1), std::string::npos) << added;
    }
}

}  // namespace
