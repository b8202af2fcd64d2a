// What a save finds at "<target>.saving", the name it writes its new file under.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "../core_fixture.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing_support::readFile;

namespace {

using SaveTemporaryTest = LoggedCoreTest;

// A file that a save cut short left there is removed, not written through: a second name for it
// keeps its bytes. A link is never followed to the file it names, a FIFO never waited for; both
// stay as they are and the save fails, keeping the previous file. The test holds both ends of
// the FIFO, so a save that opened it would neither wait nor go unseen.
TEST_F(SaveTemporaryTest, AFileLeftThereIsRemovedAndALinkOrAFifoIsNeverFollowed) {
    enum class Standing { leftByACrash, link, fifo };
    lua("score = 10");
    ASSERT_TRUE(core.saveState(dir.file("first.bin")));
    const std::string state = readFile(dir.file("first.bin"));
    for (auto [standing, name, saves] : {std::tuple{Standing::leftByACrash, "crash", true},
                                         {Standing::link, "link", false},
                                         {Standing::fifo, "fifo", false}}) {
        SCOPED_TRACE(name);
        const std::string target = dir.write(std::string(name) + ".bin", "the previous save");
        const std::string temporary = target + ".saving";
        const std::string victim = dir.write(std::string(name) + ".victim", "someone else's file");
        int fifoEnds = -1;
        if (standing == Standing::leftByACrash) {
            fs::create_hard_link(victim, temporary);
        } else if (standing == Standing::link) {
            fs::create_symlink(victim, temporary);
        } else {
            ASSERT_EQ(mkfifo(temporary.c_str(), 0600), 0);
            fifoEnds = open(temporary.c_str(), O_RDWR | O_NONBLOCK);
            ASSERT_GE(fifoEnds, 0);
        }
        const fs::file_type before = fs::symlink_status(temporary).type();

        EXPECT_EQ(core.saveState(target), saves);
        EXPECT_EQ(readFile(victim), "someone else's file");
        const bool replaced = !fs::is_regular_file(fs::symlink_status(target));
        EXPECT_FALSE(replaced) << "what stood at the temporary name took the target's place";
        if (!replaced) {  // a FIFO there would never end a read
            EXPECT_EQ(readFile(target), saves ? state : "the previous save");
        }
        EXPECT_EQ(fs::symlink_status(temporary).type(), saves ? fs::file_type::not_found : before);
        if (!saves) {
            EXPECT_THAT(readFile(Log::path()),
                        HasSubstr("The state was not saved to '" + target + "': '" + temporary +
                                  "' is in the way: it is not a regular file."));
        }
        if (fifoEnds >= 0) {
            char byte;
            EXPECT_EQ(read(fifoEnds, &byte, 1), -1) << "something was written into the FIFO";
            close(fifoEnds);
        }
    }
}

}  // namespace
