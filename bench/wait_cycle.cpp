// One script thread pausing its object and waiting on the pause in a loop, resumed by the
// object's update, against the same script with none of the engine's bookkeeping (luaAlone,
// bench/lua_alone.h): the least any engine pays for the cycle. For scale, Lua's own round trip
// (lua_resume of a coroutine that calls coroutine.yield) is rated against it too. Then a soak:
// a million such cycles must leave Lua's memory and the Core's threads where they were.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/lua_alone.h"
#include "bench/lua_kilobytes.h"
#include "bench/ratio.h"
#include "core/core.h"
#include "core/object.h"

namespace {

const char* const kWaiter = "function main(id) while true do wait(pause(id, 0.001)) end end";

// A Core whose one object runs kWaiter; each update of the object is one wait cycle.
struct WaitingObject {
    WaitingObject() {
        path = std::filesystem::temp_directory_path() / "tumblix-wait-cycle.lua";
        std::ofstream(path) << kWaiter;
        core.resetScripting();
        object = core.createObject(0, path.string());
        object->startThread("main");
    }
    ~WaitingObject() { std::filesystem::remove(path); }

    std::filesystem::path path;
    Core core{nullptr, nullptr};
    Object* object = nullptr;
};

void engineWaitCycle(benchmark::State& state) {
    WaitingObject waiting;
    for (auto _ : state) {
        waiting.object->update(0.002f);
    }
}

void luaResumeYield(benchmark::State& state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    lua_State* coroutine = lua_newthread(L);
    luaL_loadstring(coroutine, "while true do coroutine.yield() end");
    for (auto _ : state) {
        lua_resume(coroutine, 0);
    }
    lua_close(L);
}

void luaAlone(benchmark::State& state) {
    bench::LuaAlone lua(kWaiter);
    lua_State* thread = lua.startThread(1);
    for (auto _ : state) {
        lua_resume(thread, 0);
    }
}

int soak() {
    WaitingObject waiting;
    for (int i = 0; i < 1000; ++i) {  // let Lua's tables and strings settle first
        waiting.object->update(0.002f);
    }
    const double kilobytesBefore = bench::luaKilobytes(waiting.core.getLuaState());
    const size_t threadsBefore = waiting.core.threadCount();
    for (int i = 0; i < 1000000; ++i) {
        waiting.object->update(0.002f);
    }
    const double kilobytesAfter = bench::luaKilobytes(waiting.core.getLuaState());
    const size_t threadsAfter = waiting.core.threadCount();
    std::printf(
        "SOAK wait_cycle 1000000 cycles: Lua memory %.3f KB -> %.3f KB, threads %zu -> %zu\n",
        kilobytesBefore, kilobytesAfter, threadsBefore, threadsAfter);
    return kilobytesAfter <= kilobytesBefore && threadsAfter == threadsBefore ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "wait_cycle", {"engineWaitCycle", engineWaitCycle},
                          {"luaAlone", luaAlone}, soak, {{"luaResumeYield", luaResumeYield}});
}
