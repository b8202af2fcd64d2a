#include "log/log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

#include "platform/constants.h"
#include "platform/fake/fake_platform.h"
#include "test_support.h"

using namespace platform;
using ::testing::ElementsAre;
using testing_support::readFile;

namespace {

const std::string kHeader =
    "<head><title>Engine Log</title></head><body bgcolor=#000000 text=#FFFFFF>"
    "<font size=2 face=Verdana><div align=center><br><hr noshade></p></div>";

// The time stamp is the 24-character asctime form, day zero-padded, then its newline.
const std::string kStamp = R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4}\n)";

std::string entryPattern(const std::string& colour, const std::string& icon,
                         const std::string& message) {
    return "<font face='webdings' size='6' color=#" + colour + "> " + icon + "</font>" +
           "\\[<strong><font color=#" + colour + ">" + kStamp + "</font></strong>\\]: " + message +
           "<br>";
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::setDataRoot(root.path().string());
        Log::close();
    }
    void TearDown() override {
        Log::close();
        unsetenv("TUMBLIX_NO_MESSAGE_BOXES");
    }

    std::string logFile() const { return root.file("Game/Log.html"); }
    std::string body() const { return readFile(logFile()).substr(kHeader.size()); }

    testing_support::TempDir root;
};

// The boxes cannot be shown (they answer 0): the warning goes on and the error raises all the same.
TEST_F(LogTest, EntriesHaveTheExactLayoutOfTheirLevelAndWarningsShowABox) {
    ASSERT_TRUE(Log::open("Game"));
    EXPECT_EQ(Log::path(), logFile());
    EXPECT_EQ(readFile(logFile()), kHeader);
    fake::queueBoxAnswer(0);
    fake::queueBoxAnswer(0);
    Log::info("<b>Graceful</b> & done.");  // markup is written as it stands
    Log::warning("careful");
    EXPECT_THROW(Log::error("fatal"), int);
    EXPECT_TRUE(std::regex_match(
        body(), std::regex(entryPattern("FFFFFF", "\\)", "<b>Graceful</b> & done\\.") +
                           entryPattern("FFFF00", "<blink>~</blink>", "careful") +
                           entryPattern("FF0000", "<blink>!</blink>", "fatal"))))
        << body();
    std::vector<std::tuple<std::string, std::string, uint32_t>> boxes;
    for (const fake::ShownBox& box : fake::shownBoxes()) {
        boxes.emplace_back(box.text, box.caption, box.style);
    }
    EXPECT_THAT(boxes, ElementsAre(std::tuple("careful", "Engine", 0x1030u),
                                   std::tuple("fatal", "Engine", 0x1010u)));

    ASSERT_TRUE(Log::open("Game"));  // the next run's log starts empty
    EXPECT_EQ(readFile(logFile()), kHeader);
}

TEST_F(LogTest, PromptsReturnTheAnswerAndLogOnlyAnswersTheirBoxCanGive) {
    // Which box asks, the answer, and its name in the log (null: nothing logged).
    for (auto [yesNo, answer, name] : {std::tuple<bool, int, const char*>{true, IDYES, "Yes"},
                                       {true, IDNO, "No"},
                                       {true, IDCANCEL, nullptr},
                                       {false, IDCANCEL, "Cancel"},
                                       {false, IDTRYAGAIN, "Try Again"},
                                       {false, IDCONTINUE, "Continue"},
                                       {false, 0, nullptr}}) {
        SCOPED_TRACE(testing::Message() << (yesNo ? "yes/no " : "retry ") << answer);
        SetUp();
        ASSERT_TRUE(Log::open("Game"));
        fake::queueBoxAnswer(answer);
        EXPECT_EQ(yesNo ? Log::askYesNo("Save?") : Log::askRetry("Save?"), answer);
        ASSERT_EQ(fake::shownBoxes().size(), 1u);
        EXPECT_EQ(fake::shownBoxes()[0].style, yesNo ? 0x1024u : 0x1026u);
        const std::string expected =
            name ? entryPattern("CCCCFF", "2", "Save\\? \\[" + std::string(name) + "\\]") : "";
        EXPECT_TRUE(std::regex_match(body(), std::regex(expected))) << body();
    }
}

TEST_F(LogTest, WithoutAnOpenLogEntriesLeaveNoFileAndAfterAFailedOpenTheyTryTheFileAgain) {
    Log::info("dropped");
    Log::warning("shown, not logged");
    EXPECT_THROW(Log::error("fatal all the same"), int);
    EXPECT_EQ(fake::shownBoxes().size(), 2u);
    fake::setDataRoot("");  // no data folder: the open fails
    EXPECT_FALSE(Log::open("Game"));
    Log::info("dropped");
    EXPECT_TRUE(std::filesystem::is_empty(root.path()));

    fake::setDataRoot(root.path().string());
    const std::filesystem::path log = logFile();
    std::filesystem::create_directories(log.parent_path());
    std::filesystem::create_symlink("/dev/full", log);  // a full disk: no header can be written
    EXPECT_FALSE(Log::open("Game"));
    std::filesystem::remove(log);
    std::filesystem::create_directories(log);  // not a file
    EXPECT_FALSE(Log::open("Game"));
    Log::info("dropped quietly");
    std::filesystem::remove(log);
    Log::info("arrives without a header");
    EXPECT_THAT(readFile(logFile()), ::testing::StartsWith("<font face='webdings'"));
}

// Standard error gets every warning and error as one line, box or no box, and a question only
// when no box could ask it. An unattended run never waits for a click: with boxes turned off
// none shows, and each answers 0 as one that could not be shown.
TEST_F(LogTest, WarningsAndErrorsAndUnaskedQuestionsReachStandardErrorAsOneLineEach) {
    const std::string warning = "Texture too large.\n\n  Using 512 x 512.  ";
    ::testing::internal::CaptureStderr();
    Log::warning(warning);  // the fake shows it
    fake::queueBoxAnswer(0);
    EXPECT_THROW(Log::error("a.lua:3: boom\r\nstack traceback:\n\t[C]: in function 'error'"), int);
    fake::queueBoxAnswer(IDYES);
    Log::askYesNo("Asked in a box?");
    fake::queueBoxAnswer(0);
    Log::askYesNo("Nobody to ask?");
    setenv("TUMBLIX_NO_MESSAGE_BOXES", "1", 1);
    fake::queueBoxAnswer(IDTRYAGAIN);  // never asked
    EXPECT_EQ(Log::askRetry("Retry?"), 0);
    Log::warning("careful");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Engine: Texture too large. Using 512 x 512.\n"
              "Engine: a.lua:3: boom stack traceback: [C]: in function 'error'\n"
              "Engine: Nobody to ask?\nEngine: Retry?\nEngine: careful\n");
    ASSERT_EQ(fake::shownBoxes().size(), 4u);
    EXPECT_EQ(fake::shownBoxes()[0].text, warning);
}

// A box of a very long text would be wider than the screen: it shows the start and an ellipsis,
// never half of a UTF-8 character; the log and standard error keep the whole text.
TEST_F(LogTest, AVeryLongTextIsCutInItsBoxAlone) {
    ASSERT_TRUE(Log::open("Game"));
    const std::string start(Log::kBoxTextLimit - 1, 'x');
    const std::string text = start + "\xC3\xA9" + std::string(3000, 'y');  // é across the limit
    ::testing::internal::CaptureStderr();
    Log::warning(text);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Engine: " + text + "\n");
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text, start + "\xE2\x80\xA6");
    EXPECT_NE(body().find(text), std::string::npos);
}

}  // namespace
