// Scripts that recurse through C functions as deep as they can. Lua 5.1 counts nested C calls
// and stops them with "C stack overflow"; LuaJIT counts none, so the engine checks the C stack
// before each library function that calls back into Lua, and LuaJIT's tostring, which would
// tail-call a __tostring that asks for itself for ever, fills the Lua stack instead. Either
// way the thread fails through the script-error path, and the process lives.
#include <gmock/gmock.h>

#include "core_fixture.h"

using ::testing::HasSubstr;

namespace {

class DeepRecursionTest : public CoreTest {};

TEST_F(DeepRecursionTest, RecursionThroughCFailsTheThread) {
    struct Case {
        const char* body;
        const char* onLuaJit;  // the error's text there; Lua 5.1's is "C stack overflow"
    };
    const Case cases[] = {
        // Caught at each level: Lua 5.1 would prefix the message with the place 200 times.
        {"local function f() local ok, e = pcall(coroutine.wrap(f))"
         " if not ok then error(e, 0) end end f()",
         "C stack overflow"},
        {"local function f() local ok, e = coroutine.resume(coroutine.create(f))"
         " if not ok then error(e, 0) end end f()",
         "C stack overflow"},
        {"local function f() return (string.gsub('x', 'x', f)) end f()", "C stack overflow"},
        {"tostring(setmetatable({}, {__tostring = function(self) return tostring(self) end}))",
         "stack overflow"},
        // These fill the Lua stack or the C stack first, as the frames' sizes have it.
        {"local function less(a, b) table.sort({1, 2}, less) return a < b end"
         " table.sort({1, 2}, less)",
         "stack overflow"},
        {"print(setmetatable({}, {__tostring = function(self) print(self) end}))",
         "stack overflow"},
    };
    for (const Case& recursion : cases) {
        SCOPED_TRACE(recursion.body);
        core.resetScripting();
        Object* object = scripted(std::string("function main(id) ") + recursion.body + " end");
        EXPECT_THAT(fatalError([&] { object->startThread("main"); }),
                    HasSubstr(onLuaJit() ? recursion.onLuaJit : "C stack overflow"));
    }
}

}  // namespace
