// Where LuaJIT can raise no error for a script's recursion through C (a host function that calls
// back into Lua, string.format's call of __tostring, wait reading an event's __index), the
// process ends with the report that the engine armed: a line on standard error, an error entry
// in the log and exit status 1, never a bare SIGSEGV. Each case runs in a child process.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <regex>
#include <sstream>

#include "tests/core_fixture.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char kReport[] = "Engine: C stack overflow: a script nested its calls through C functions";

class StackOverflowReportTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        core.registerFunction("callBack", callBack);
        core.resetScripting();
        fake::setDataRoot(dir.path().string());
        ASSERT_TRUE(Log::open("Game"));  // after the state was built: the report follows it
    }
    void TearDown() override { Log::close(); }

    // Runs `body` in a script thread and exits as a program does: 1 after a fatal error.
    [[noreturn]] void run(const std::string& body) {
        Object* object = scripted("function main(id) " + body + " end");
        try {
            object->startThread("main");
        } catch (int) {
            std::_Exit(1);
        }
        std::_Exit(0);
    }

    // callBack(f, ...) calls f(...) from a large frame, as a host function may.
    static int callBack(lua_State* L) {
        volatile char frame[16 * 1024];
        frame[0] = 0;
        lua_call(L, lua_gettop(L) - 1, 0);
        return frame[0];
    }
};

std::time_t parseStamp(const std::string& stamp) {
    std::tm time{};
    std::istringstream(stamp) >> std::get_time(&time, "%a %b %d %H:%M:%S %Y");
    const int weekday = time.tm_wday;
    time.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&time);
    EXPECT_EQ(time.tm_wday, weekday) << stamp;
    return seconds;
}

TEST_F(StackOverflowReportTest, AnOverflowNoErrorCanStopEndsWithTheReport) {
    const std::string log = dir.file("Game/Log.html");
    const std::time_t before = std::time(nullptr);
    EXPECT_EXIT(run("local function f() callBack(f) end f()"), testing::ExitedWithCode(1),
                HasSubstr(kReport));
    const std::time_t after = std::time(nullptr);

    std::smatch entry;
    const std::string text = testing_support::readFile(log);
    ASSERT_TRUE(std::regex_search(
        text, entry,
        std::regex("<font face='webdings' size='6' color=#FF0000> <blink>!</blink></font>"
                   "\\[<strong><font color=#FF0000>(.{24})\n</font></strong>\\]: C stack overflow: "
                   "[^<]*<br>$")))
        << text;
    const std::time_t reported = parseStamp(entry[1]);
    EXPECT_GE(reported, before - 1);
    EXPECT_LE(reported, after + 1);
}

TEST_F(StackOverflowReportTest, OtherRecursionsEndInAnErrorOrTheReport) {
    for (const char* body :
         {"tostring(setmetatable({}, {__tostring = function(s) return string.format('%s', s) "
          "end}))",
          "local e = setmetatable({}, {__index = function(e) wait(e) end}) wait(e)"}) {
        SCOPED_TRACE(body);
        EXPECT_EXIT(run(body), testing::ExitedWithCode(1), HasSubstr("stack overflow"));
    }
}

TEST_F(StackOverflowReportTest, OtherFaultsAreNotReported) {
    EXPECT_EXIT(
        run("require('ffi').cast('int*', 0)[0] = 1"), [](int) { return true; },
        Not(HasSubstr("C stack overflow")));
}

}  // namespace
