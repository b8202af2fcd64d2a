// 10,000 scripted objects waiting on their pauses, 1,000 of them waking in each frame, against
// what a developer would write instead on plain Lua 5.1: a list of {coroutine, wake time}
// records that a Lua function, called from C once a frame, scans to resume the due ones. The
// same script runs in both, with the scheduler's own "pause" and "wait". For reference, the
// Lua work alone that the engine's script functions require (luaAlone, bench/lua_alone.h), in
// 10,000 threads woken as the objects wake: the least any engine pays for the same frame.
#include <vector>

#include "bench/ratio.h"
#include "bench/sleepers.h"

namespace {

constexpr int kObjects = 10000;

const char* const kScheduler = R"(
    local records = {}
    local now = 0

    function pause(id, seconds) return now + seconds end
    function wait(wake) coroutine.yield(wake) end

    function spawn(id)
        local co = coroutine.create(main)
        local _, wake = coroutine.resume(co, id)
        records[#records + 1] = {co = co, wake = wake}
    end

    function frame(dt)
        now = now + dt
        for i = 1, #records do
            local record = records[i]
            if record.wake <= now then
                local _, wake = coroutine.resume(record.co)
                record.wake = wake
            end
        end
    end
)";

void luaScheduler(benchmark::State& state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    luaL_dostring(L, kScheduler);
    luaL_dostring(L, bench::kSleeper);
    for (int id = 1; id <= kObjects; ++id) {
        lua_getglobal(L, "spawn");
        lua_pushnumber(L, id);
        lua_call(L, 1, 0);
    }
    lua_getglobal(L, "frame");
    const int frame = luaL_ref(L, LUA_REGISTRYINDEX);
    for (auto _ : state) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, frame);
        lua_pushnumber(L, bench::kFrame);
        lua_call(L, 1, 0);
    }
    lua_close(L);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "wake_10k_vs_lua_scheduler",
                          {"engineFrame", bench::engineFrames<kObjects>},
                          {"luaScheduler", luaScheduler}, [] { return 0; },
                          {{"luaAlone", bench::luaAloneFrames<kObjects>}});
}
