// Creating 10,000 scripted objects on one script file and starting their threads (each runs
// until its first wait), against the least that takes in Lua: 10,000 lua_newthread calls, each
// followed by the first resume of the script's entry function, already loaded. Then the Lua
// memory a scripted object takes, waiting.
#include <cstdio>

#include "bench/lua_alone.h"
#include "bench/lua_kilobytes.h"
#include "bench/ratio.h"
#include "bench/sleepers.h"

namespace {

constexpr int kObjects = 10000;

void engineCreate(benchmark::State& state) {
    bench::SleeperFile file;
    Core core(nullptr, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        core.resetScripting();
        state.ResumeTiming();
        bench::addSleepers(core, file, kObjects);
    }
}

void luaNewThreads(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            bench::LuaAlone lua(bench::kSleeper);
            state.ResumeTiming();
            for (int id = 1; id <= kObjects; ++id) {
                lua.startBareThread(id);
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

int reportMemory() {
    bench::SleeperFile file;
    Core core(nullptr, nullptr);
    core.resetScripting();
    const double before = bench::luaKilobytes(core.getLuaState());
    bench::addSleepers(core, file, kObjects);
    const double after = bench::luaKilobytes(core.getLuaState());
    std::printf("MEMORY lua_kb_per_scripted_object %.3f\n", (after - before) / kObjects);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "create_10k_threads", {"engineCreate", engineCreate},
                          {"luaNewThreads", luaNewThreads}, reportMemory);
}
