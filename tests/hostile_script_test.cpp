// Scripts that try to break the engine. A script may break itself, never the process, nor the
// state the engine keeps for the others.
#include <gmock/gmock.h>

#include <new>
#include <regex>
#include <tuple>

#include "core_fixture.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

class HostileScriptTest : public CoreTest {
protected:
    double luaKilobytes() {
        lua_State* L = core.getLuaState();
        lua_gc(L, LUA_GCCOLLECT, 0);
        return lua_gc(L, LUA_GCCOUNT, 0) + lua_gc(L, LUA_GCCOUNTB, 0) / 1024.0;
    }
};

// Drops every thread the registry holds, then collects.
const std::string kScrubRegistry =
    " local r = debug.getregistry() for k, v in pairs(r) do if type(v) == 'thread' then"
    " r[k] = nil end end collectgarbage() ";

TEST_F(HostileScriptTest, ReadingAnEventThatDeletesItsObjectWaitsForNothing) {
    started(
        "function main(id) local v = newObject(0, '') pause(v, 1) wait(setmetatable({oid = v},"
        " {__index = function() deleteObject(v) return 0 end})) state.after = true end");
    EXPECT_EQ(eval("state.after"), "true");
}

TEST_F(HostileScriptTest, ThreadsOutliveAScriptThatClearsTheRegistry) {
    const std::string waits = "function main(id)" + kScrubRegistry + "wait(pause(id, 0.01))" +
                              kScrubRegistry + "state.done = (state.done or 0) + 1 end";
    started(waits);
    started(waits);
    started("function main(id) local co = coroutine.create(function() wait(pause(id, 0.01))"
            " state.own = true end) coroutine.resume(co) co = nil" + kScrubRegistry + " end");
    frames(3);
    EXPECT_EQ(eval("state.done"), "2");
    EXPECT_EQ(eval("state.own"), "true");
    EXPECT_EQ(core.threadCount(), 0u);
}

TEST_F(HostileScriptTest, ThreadsWaitingOnADeletedObjectAreLetGo) {
    const std::string waitsOnItself = script("function main(id) wait(pause(id, 100)) end");
    const std::string waitsOnTheOneBefore = script("function main(id) wait(pause(id - 1, 100)) end");
    const std::string coroutineWaits = script(
        "function main(id) coroutine.resume(coroutine.create(function() wait(pause(id, 100))"
        " end)) end");
    double before = 0;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 100; ++i) {
            core.createObject(0, waitsOnItself)->startThread("main");
            core.createObject(0, "");
            core.createObject(0, waitsOnTheOneBefore)->startThread("main");
            core.createObject(0, coroutineWaits)->startThread("main");
        }
        EXPECT_EQ(core.threadCount(), 200u);
        while (!core.getObjects().empty()) {  // in the order they were made
            core.deleteObject(core.getObjects().front()->getId());
        }
        EXPECT_EQ(core.threadCount(), 0u);
        if (round == 0) {
            before = luaKilobytes();  // once the state's own tables have grown
        }
    }
    // 300 threads kept would be about 1 MB; their anchors alone, if never handed out again, 12 KB
    EXPECT_LT(luaKilobytes() - before, 4.0);
}

TEST_F(HostileScriptTest, AWaiterThatIsNoLongerSuspendedWhenItsEventComesIsLetGo) {
    // Resumed early: the wait returns, the coroutine ends.
    started(
        "function main(id) local co = coroutine.create(function() wait(pause(id, 0.01)) end)"
        " coroutine.resume(co) coroutine.resume(co) state.own = coroutine.status(co) end");
    started("function main(id) state.hijacked = coroutine.running() wait(pause(id, 0.01)) end");
    started("function main(id) coroutine.resume(state.hijacked) state.hijacked = nil end");
    frames(3);  // both events come: nothing to resume
    EXPECT_EQ(eval("state.own"), "dead");
    EXPECT_EQ(core.threadCount(), 0u);
}

// A finalizer (__gc) may run wherever Lua allocates, inside an engine function too: there it
// may delete the object the function works on, or replace the key it reads. The collector is
// set to run a whole cycle at the first allocation after "restart", which is the one inside
// the call; the function must then see what the finalizer left.
TEST_F(HostileScriptTest, FunctionsSeeWhatAFinalizerRunInsideThemLeft) {
    for (const auto& [finalizer, call, result] : {
             std::tuple{"deleteObject(v)", "pcall(setKey, v, 7, 1)", "false"},
             {"deleteObject(v)", "pcall(getKey, v, 7)", "false"},
             {"deleteObject(v)", "pcall(getKey, v, 'k')", "false"},
             {"setKey(v, 'k', 'new')", "getKey(v, 'k')", "new"},
         }) {
        SCOPED_TRACE(call);
        core.resetScripting();
        started(std::string("function main(id) local v = newObject(0, '')"
                            " setKey(v, 'k', string.rep('old', 100))"
                            " local function doom() getmetatable(newproxy(true)).__gc ="
                            " function() ") + finalizer + " end end"
                "  collectgarbage('setstepmul', 1000000) collectgarbage() doom()"
                "  collectgarbage('restart') state.result = " + call + " end");
        EXPECT_EQ(eval("state.result"), result);
    }
}

// A script may resume another's waiting thread, or its own coroutine, before the event comes.
// The thread then waits for nothing: its next wait waits, and the event it waited for before
// does not wake it from a later one.
TEST_F(HostileScriptTest, AWaiterResumedEarlyByAScriptWaitsAgainAtItsNextWait) {
    // Counts its wakes in state[k], three of its own pause, then waits for another object's.
    const std::string waits =
        "local function waits(id, k) local other = newObject(0, '') for i = 1, 3 do"
        " wait(pause(id, 0.5)) state[k] = (state[k] or 0) + 1 end wait(pause(other, 1))"
        " state[k] = 'woken by its own event' end ";
    started(waits + "function main(id) state.t = coroutine.running() waits(id, 'n') end");
    started(waits + "function main(id) state.co = coroutine.create(function() waits(id, 'own')"
                    " end) coroutine.resume(state.co) end");
    const std::string resumeBoth =
        "function main() coroutine.resume(state.t) coroutine.resume(state.co) end";
    started(resumeBoth);
    EXPECT_EQ(eval("state.n .. state.own"), "11");
    frames(23);  // half a second: each wakes once
    EXPECT_EQ(eval("state.n .. state.own"), "22");
    started(resumeBoth);  // on to the other object's pause
    EXPECT_EQ(eval("state.n .. state.own"), "33");
    frames(23);  // its own pause runs out, which neither waits for any more
    EXPECT_EQ(eval("state.n .. state.own"), "33");
    frames(23);
    EXPECT_EQ(eval("state.n == state.own and state.n"), "woken by its own event");
    EXPECT_EQ(core.threadCount(), 0u);
}

TEST_F(HostileScriptTest, MemoryRunningOutIsAFatalErrorLikeAnyOther) {
    makeHostObject = [](int) -> Object* { throw std::bad_alloc(); };
    Object* object = scripted("function main(id) newObject(5, '') end");
    EXPECT_THAT(fatalError([&] { object->startThread("main"); }),
                HasSubstr(":1: newObject: not enough memory"));
    EXPECT_EQ(core.threadCount(), 0u);
    onFrame = [](float) { throw std::bad_alloc(); };  // where no script is there to be told
    EXPECT_EQ(fatalError([&] { frames(1); }), "Out of memory.");
}

TEST_F(HostileScriptTest, FatalErrorsOfAnyValueSayWhere) {
    const std::string trace = "\nstack traceback:\n\t\\[C\\]: in function 'error'\n\tFILE:";
    for (const auto& [source, message] :
         {std::pair{"error({})",
                    "\\(error object is a table value\\)" + trace + "1: in main chunk"},
          {"function main() error() end",
           "\\(error object is a nil value\\)" + trace + "1: in function <FILE:1>"}}) {
        SCOPED_TRACE(source);
        core.resetScripting();
        Object* object = scripted(source);
        const std::string pattern =
            std::regex_replace(message, std::regex("FILE"), object->getScript());
        EXPECT_THAT(fatalError([&] { object->startThread("main"); }), MatchesRegex(pattern + ".*"));
    }
}

// What the functions below report, for the test to read.
bool loadedLater = false;
int requestsDone = 0;

int loadNow(lua_State* L) {
    lua_pushboolean(L, Core::fromLua(L)->loadState(lua_tostring(L, 1)));
    return 1;
}
int resetNow(lua_State* L) {
    lua_pushboolean(L, Core::fromLua(L)->resetScripting());
    return 1;
}
int loadLater(lua_State* L) {
    Core::fromLua(L)->requestLoadState(lua_tostring(L, 1), [](bool loaded) {
        loadedLater = loaded;
        ++requestsDone;
    });
    return 0;
}

TEST_F(HostileScriptTest, ALoadOrResetFromAScriptIsRefusedAndCanBeAskedForInstead) {
    const std::string saved = dir.file("saved.bin");
    lua("state.saved = 1");
    ASSERT_TRUE(core.saveState(saved));
    core.registerFunction("loadNow", loadNow);
    core.registerFunction("resetNow", resetNow);
    core.registerFunction("loadLater", loadLater);
    core.resetScripting();

    started("function main(id) state.now = loadNow('" + saved + "') state.reset = resetNow()"
            " loadLater('" + dir.file("missing.bin") + "') loadLater('" + saved + "')"
            " wait(pause(id, 0.01)) state.after = true end");
    EXPECT_EQ(eval("state.now"), "false");
    EXPECT_EQ(eval("state.reset"), "false");
    EXPECT_EQ(eval("state.saved"), "nil");  // the refused load touched nothing
    EXPECT_EQ(requestsDone, 0);
    frames(1);  // the missing file first: nothing changes; then the saved one
    EXPECT_EQ(requestsDone, 2);
    EXPECT_TRUE(loadedLater);
    EXPECT_EQ(eval("state.saved"), "1");
    EXPECT_EQ(eval("state.now"), "nil");
    EXPECT_EQ(core.threadCount(), 0u);
    EXPECT_FALSE(core.isScriptRunning());
}

// Every engine function, called with 0 to 4 arguments drawn from every kind of Lua value
// (including tables whose metamethods delete objects or raise), from a script file's main chunk
// and from a script thread: each call returns or raises an error message, and nothing else
// happens (the sanitizer build watches the memory). On LuaJIT a wait inside pcall waits.
TEST_F(HostileScriptTest, EveryFunctionTakesAnyArguments) {
    const std::string calls = R"(
        local a, b
        local function live()  -- two objects whose events come at the next frame
            if not pcall(getKey, a or 0, 'x') then a = newObject(0, '') end
            if not pcall(getKey, b or 0, 'x') then b = newObject(0, '') end
            pause(a, 0.001) pause(b, 0.001)
        end
        local values = {
            function() return nil end, function() return true end, function() return false end,
            function() return 0 end, function() return -0 end, function() return 0/0 end,
            function() return 1/0 end, function() return -1/0 end, function() return 1e300 end,
            function() return 2^31 end, function() return -2^31 - 1 end, function() return a end,
            function() return b + 0.5 end, function() return '' end, function() return 'x' end,
            function() return '1' end, function() return {} end, function() return {oid = b} end,
            function() return {oid = a, eid = 0} end, function() return print end,
            function() return setmetatable({}, {__index = function()
                deleteObject(a) deleteObject(b) return a end}) end,
            function() return setmetatable({}, {__index = function() error('meta') end}) end,
            function() return coroutine.create(live) end,
        }
        math.randomseed(7)
        local calls = 0
        local function try(f, count, pick)
            live()
            local args = {}
            for i = 1, count do args[i] = values[pick(i)]() end
            local ok, err = pcall(f, unpack(args, 1, count))
            if not ok and (type(err) ~= 'string' or err == '') then
                error('unclear error: ' .. tostring(err))
            end
            calls = calls + 1
        end
        for _, f in ipairs({pause, wait, newObject, deleteObject, getKey, setKey}) do
            try(f, 0)
            for i = 1, #values do
                try(f, 1, function() return i end)
                for j = 1, #values do try(f, 2, function(n) return n == 1 and i or j end) end
            end
            for count = 3, 4 do
                for _ = 1, 300 do try(f, count, function() return math.random(#values) end) end
            end
        end
        state.calls = (state.calls or 0) + calls
    )";
    scripted(calls)->startThread("main");          // the main chunk
    started("function main(id)" + calls + " end");  // a script thread
    for (int frame = 0; frame < 100000 && core.threadCount() > 0; ++frame) {
        core.runFrame(0.01f);
    }
    const int each = 6 * (1 + 23 + 23 * 23 + 600);
    EXPECT_EQ(eval("state.calls"), std::to_string(2 * each));
    EXPECT_EQ(core.threadCount(), 0u);
}

}  // namespace
