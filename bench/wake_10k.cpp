// 10,000 scripted objects waiting on their pauses, 1,000 of them waking in each frame, against
// the same script in 10,000 threads with none of the engine's bookkeeping (luaAlone,
// bench/lua_alone.h), woken as the objects wake. Rated against it too: the same luaAlone with
// the script compiled again for each thread, as the engine once did, and raw lua_resume calls
// on the same 1,000 of 10,000 coroutines that yield at once.
#include <vector>

#include "bench/ratio.h"
#include "bench/sleepers.h"

namespace {

constexpr int kObjects = 10000;

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
    bench::resumeAsSleepersWake(state, coroutines);
    lua_close(L);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(
        argc, argv, "wake_10k", {"engineFrame", bench::engineFrames<kObjects>},
        {"luaAlone", bench::luaAloneFrames<kObjects>}, [] { return 0; },
        {{"luaAloneCompilingEachThread",
          bench::luaAloneFrames<kObjects, &bench::LuaAlone::startThreadCompilingAgain>},
         {"luaResumes", luaResumes}});
}
