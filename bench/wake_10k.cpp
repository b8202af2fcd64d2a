// 10,000 scripted objects waiting on their pauses, 1,000 of them waking in each frame, against
// the same script in 10,000 threads with none of the engine's bookkeeping (luaAlone,
// bench/lua_alone.h), woken as the objects wake. Rated against it too: the same luaAlone with
// the script compiled again for each thread, as the engine once did, and raw lua_resume calls
// on the same 1,000 of 10,000 coroutines that yield at once.
#include <vector>

#include "bench/lua_alone.h"
#include "bench/ratio.h"
#include "bench/sleepers.h"

namespace {

constexpr int kObjects = 10000;
constexpr int kWakingPerFrame = 1000;

// Each frame resumes every tenth thread, a different tenth in turn.
void resumeAsTheObjectsWake(benchmark::State& state, const std::vector<lua_State*>& threads) {
    constexpr size_t kStride = kObjects / kWakingPerFrame;
    size_t frame = 0;
    for (auto _ : state) {
        for (size_t i = frame % kStride; i < threads.size(); i += kStride) {
            lua_resume(threads[i], 0);
        }
        ++frame;
    }
}

// 10,000 coroutines that yield at once; each frame resumes every tenth, as the objects wake.
void luaResumes(benchmark::State& state) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    std::vector<lua_State*> coroutines;
    for (int i = 0; i < kObjects; ++i) {
        lua_State* coroutine = lua_newthread(L);
        luaL_ref(L, LUA_REGISTRYINDEX);
        luaL_loadstring(coroutine, "while true do coroutine.yield() end");
        coroutines.push_back(coroutine);
    }
    resumeAsTheObjectsWake(state, coroutines);
    lua_close(L);
}

template <lua_State* (bench::LuaAlone::*start)(int id)>
void luaAloneThreads(benchmark::State& state) {
    bench::LuaAlone lua(bench::kSleeper);
    std::vector<lua_State*> threads;
    for (int id = 1; id <= kObjects; ++id) {
        threads.push_back((lua.*start)(id));
    }
    resumeAsTheObjectsWake(state, threads);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "wake_10k", {"engineFrame", bench::engineFrames<kObjects>},
                          {"luaAlone", luaAloneThreads<&bench::LuaAlone::startThread>},
                          [] { return 0; },
                          {{"luaAloneCompilingEachThread",
                            luaAloneThreads<&bench::LuaAlone::startThreadCompilingAgain>},
                           {"luaResumes", luaResumes}});
}
