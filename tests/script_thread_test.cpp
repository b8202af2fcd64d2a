// Script threads: their private environments, their entry functions, and how they fail.
#include <gmock/gmock.h>

#include <stdexcept>

#include "core/lock.h"
#include "core_fixture.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

using ScriptThreadTest = CoreTest;

TEST_F(ScriptThreadTest, TopLevelGlobalsArePrivateAndLaterOnesShared) {
    const std::string path = script(R"(
        counter = (counter or 0) + 1     -- another thread's private counter is never seen
        top = "private"
        function main(id)
            setKey(id, "counter", counter)
            top = "changed"              -- already private: stays private
            shared = (shared or 0) + 1   -- new: lands in the state table
            setKey(id, "reads", fromHost .. type(string.format))
        end
    )");
    lua("fromHost = 'host:'");
    for (int id = 1; id <= 2; ++id) {  // two objects on one script file
        ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
        EXPECT_EQ(core.findObject(id)->getNumber("counter"), 1);
        EXPECT_EQ(core.findObject(id)->getString("reads"), "host:function");
    }
    EXPECT_EQ(eval("shared"), "2");
    EXPECT_EQ(eval("top"), "nil");
    EXPECT_EQ(eval("counter"), "nil");
}

TEST_F(ScriptThreadTest, EntryFunctionOutcomes) {
    struct Case {
        const char* source;
        bool started;
        size_t threadsLeft;
    };
    const Case cases[] = {
        {"state.ran = true", false, 0},                        // no entry function
        {"state.ran = true; main = 5", false, 0},              // not a function
        {"state.ran = true; function main(id) end", true, 0},  // returns at once
        {"state.ran = true; function main(id) wait(pause(id, 1)) end", true, 1},  // waits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        core.resetScripting();
        EXPECT_EQ(scripted(c.source)->startThread("main"), c.started);
        EXPECT_EQ(core.threadCount(), c.threadsLeft);
        EXPECT_EQ(eval("state.ran"), "true");  // the file ran once either way
        EXPECT_EQ(lua_gettop(core.getLuaState()), 1);  // the engine's own slot alone
    }
    EXPECT_FALSE(core.createObject(0, "")->startThread("main"));  // no script
}

// The entry function of the second thread on a file is found as the first one's was, whether the
// file defined it, the globals hold it, the host asks for another name, or the file gave its
// environment a metatable of its own; and the globals the function then makes land alike.
TEST_F(ScriptThreadTest, EveryThreadOnAFileFindsItsEntryFunctionAlike) {
    struct Case {
        const char* source;
        const char* entries[2];
        const char* expression;
        const char* expected;
    };
    const Case cases[] = {
        {"function main(id) made = (made or 0) + id end", {"main", "main"}, "made", "3"},
        {"x = 1", {"fromGlobals", "fromGlobals"}, "state.seen", "2"},
        {"function a(id) made = id end function b(id) made = made .. ',' .. id end",
         {"a", "b"}, "made", "1,2"},
        {"setmetatable(getfenv(1), {__index = state}) function main(id) made = id end",
         {"main", "main"}, "made", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        core.resetScripting();
        lua("function fromGlobals(id) state.seen = (state.seen or 0) + 1 end");
        const std::string path = script(c.source);
        for (const char* entry : c.entries) {
            EXPECT_TRUE(core.createObject(0, path)->startThread(entry));
        }
        EXPECT_EQ(eval(c.expression), c.expected);
    }
}

TEST_F(ScriptThreadTest, EntryFunctionGetsTheIdThenThePushedArguments) {
    core.createObject(0, "");
    Object* object = scripted("function main(...) state.args = table.concat({...}, ',') end");
    lua_State* thread = object->createThread("main");
    ASSERT_NE(thread, nullptr);
    lua_pushstring(thread, "x");
    object->resumeThread(thread, 1);
    EXPECT_EQ(eval("state.args"), "2,x");
}

TEST_F(ScriptThreadTest, ScriptErrorsNameFileAndLineAndCarryTheTraceback) {
    struct Case {
        const char* source;   // null: the file is missing
        std::string message;  // a pattern; FILE stands for the script's path
        int frames = 0;       // run before the error shows
    };
    const std::string trace = "\nstack traceback:\n\t";
    // LuaJIT's traceback of a failed thread leaves out the line of the frame that failed.
    const std::string failingFrame = onLuaJit() ? "FILE:" : "FILE:3:";
    const Case cases[] = {
        {nullptr, "cannot open FILE"},
        {"function main(", "FILE:1: .* expected near '<eof>'"},
        {"error('at load')",
         "FILE:1: at load" + trace + "\\[C\\]: in function 'error'\n\tFILE:1: in main chunk"},
        {"function main(id)\n local t = nil\n t.x = 1\nend",
         "FILE:3: attempt to index local 't' \\(a nil value\\)" + trace +
             failingFrame + " in function <FILE:1>"},
        {"function main(id)\n wait(pause(id, 0.01))\n error('late')\nend",
         "FILE:3: late" + trace + "\\[C\\]: in function 'error'\n\tFILE:3: in function <FILE:1>",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        core.resetScripting();
        const std::string path = c.source ? script(c.source) : dir.file("no.lua");
        std::string pattern = c.message;
        for (size_t at; (at = pattern.find("FILE")) != std::string::npos;) {
            pattern.replace(at, 4, path);
        }
        for (int thread = 1; thread <= 2; ++thread) {  // the second runs the file compiled before
            std::string error = fatalError([&] {
                core.createObject(0, path)->startThread("main");
                frames(c.frames);
            });
            EXPECT_THAT(error, MatchesRegex(pattern + ".*"));
            EXPECT_EQ(core.threadCount(), 0u);             // released before the report
            EXPECT_EQ(lua_gettop(core.getLuaState()), 1);  // the engine's own slot alone
        }
    }
}

TEST_F(ScriptThreadTest, WaitingWhereTheThreadCannotYieldRecordsNoWaiter) {
    core.createObject(0, "");
    Object* object = scripted("wait(pause(1, 1))  -- the file runs inside a protected call");
    EXPECT_THAT(fatalError([&] { object->startThread("main"); }),
                HasSubstr(onLuaJit() ? "attempt to yield across C-call boundary"
                                     : "attempt to yield across metamethod/C-call boundary"));
    ASSERT_NE(core.findLock(core.findObject(1), 0), nullptr);
    EXPECT_EQ(core.findLock(core.findObject(1), 0)->thread, nullptr);
}

// Lua 5.1 cannot suspend a thread inside pcall; LuaJIT can, and so waits there.
TEST_F(ScriptThreadTest, WaitingInsidePcallWaitsOnlyOnLuaJit) {
    started("function main(id) state.ok, state.err = pcall(wait, pause(id, 0.01)) end");
    EXPECT_EQ(eval("state.ok"), onLuaJit() ? "nil" : "false");
    frames(2);
    EXPECT_EQ(eval("state.ok"), onLuaJit() ? "true" : "false");
    EXPECT_EQ(core.threadCount(), 0u);
}

TEST_F(ScriptThreadTest, AScriptsOwnCoroutineCanWaitAndIsKeptAliveMeanwhile) {
    started(R"(
        function main(id)
            local inner = coroutine.create(function()
                wait(pause(id, 0.01))
                wait(pause(id, 0.01))  -- now resumed by the engine, not by its maker
                state.inner = true
            end)
            state.yielded = coroutine.resume(inner)
        end
    )");
    EXPECT_EQ(eval("state.yielded"), "true");
    for (int wait = 0; wait < 2; ++wait) {
        lua("collectgarbage()");  // nothing but the lock refers to the inner coroutine now
        frames(1);
    }
    EXPECT_EQ(eval("state.inner"), "true");
}

TEST_F(ScriptThreadTest, HostExceptionsInsideScriptFunctionsReachTheHostAfterLuaReturns) {
    makeHostObject = [](int type) -> Object* {
        if (type == 9) {
            throw std::runtime_error("no such type");
        }
        Log::error("unknown object type");
    };
    // Even a script that catches the Lua error cannot swallow the host's exception.
    Object* catching = scripted("function main() pcall(newObject, 9) state.after = true end");
    EXPECT_THROW(catching->startThread("main"), std::runtime_error);
    EXPECT_EQ(eval("state.after"), "true");

    // The host's own fatal error shows its box, not a second one.
    EXPECT_EQ(
        fatalError([&] { scripted("function main() newObject(8) end")->startThread("main"); }),
        "unknown object type");
    EXPECT_EQ(core.threadCount(), 0u);
}

// A registered function runs guarded: its results and its Lua errors are the script's, as if
// Lua called it directly, and its C++ exception never crosses a Lua frame (on LuaJIT, whose
// errors unwind as exceptions, the guard lets those through).
TEST_F(ScriptThreadTest, RegisteredFunctionsRunGuarded) {
    core.registerFunction("twice", [](lua_State* L) {
        lua_pushnumber(L, 2 * lua_tonumber(L, 1));
        return 1;
    });
    core.registerFunction("refuse", [](lua_State* L) { return luaL_error(L, "refused %d", 7); });
    core.registerFunction("explode", [](lua_State*) -> int { throw std::runtime_error("boom"); });
    core.resetScripting();
    Object* object = scripted(R"(function main()
        state.two = twice(1)
        state.refused = select(2, pcall(refuse))
        state.exploded = select(2, pcall(explode))
    end)");
    EXPECT_THROW(object->startThread("main"), std::runtime_error);
    EXPECT_EQ(eval("state.two"), "2");
    EXPECT_EQ(eval("state.refused"), "refused 7");
    EXPECT_EQ(eval("state.exploded"), "explode: the host raised a C++ exception");
    EXPECT_EQ(core.threadCount(), 0u);
}

TEST_F(ScriptThreadTest, AScriptThatDeletesItsObjectWhileItsFileRunsStillStarts) {
    started("deleteObject(1) function main(id) state.id = id end");
    EXPECT_EQ(eval("state.id"), "1");
    EXPECT_EQ(core.findObject(1), nullptr);
}

}  // namespace
