// 10,000 scripted objects waiting on their pauses, 1,000 of them waking in each frame, against
// raw lua_resume calls on the same 1,000 of 10,000 coroutines that yield at once.
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/lua_alone.h"
#include "bench/ratio.h"
#include "core/core.h"
#include "objects/object.h"

namespace {

constexpr int kObjects = 10000;
constexpr int kWakingPerFrame = 1000;
constexpr float kFrame = 0.125f;  // exact in binary, so every pause ends in a known frame

// Object n first wakes in frame n % 10 + 1, then every tenth frame.
const char* const kSleeper = R"(
    function main(id)
        wait(pause(id, (id % 10 + 1) * 0.125))
        while true do wait(pause(id, 1.25)) end
    end
)";

void engineFrame(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "tumblix-wake-10k.lua";
    std::ofstream(path) << kSleeper;
    Core core(nullptr, nullptr);
    core.resetScripting();
    for (int i = 0; i < kObjects; ++i) {
        core.createObject(0, path.string())->startThread("main");
    }
    for (auto _ : state) {
        core.runFrame(kFrame);
    }
    std::filesystem::remove(path);
}

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

// For reference: the same script in 10,000 threads with none of the engine's bookkeeping
// (bench/lua_alone.h), woken as the objects wake.
void luaAlone(benchmark::State& state) {
    bench::LuaAlone lua;
    std::vector<lua_State*> threads;
    for (int id = 1; id <= kObjects; ++id) {
        threads.push_back(lua.startThread(kSleeper, id));
    }
    resumeAsTheObjectsWake(state, threads);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "wake_10k", {"engineFrame", engineFrame},
                          {"luaResumes", luaResumes}, [] { return 0; },
                          {{"luaAlone", luaAlone}});
}
