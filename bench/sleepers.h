// The load of the scale benchmarks: scripted objects sleeping on their pauses, a tenth of them
// waking in each frame.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/lua_alone.h"
#include "core/core.h"
#include "core/object.h"

namespace bench {

constexpr float kFrame = 0.125f;  // exact in binary, so every pause ends in a known frame

// Object n first wakes in frame n % 10 + 1, then every tenth frame.
inline const char* const kSleeper = R"(
    function main(id)
        wait(pause(id, (id % 10 + 1) * 0.125))
        while true do wait(pause(id, 1.25)) end
    end
)";

// kSleeper as a script file of this process, there while this lives.
class SleeperFile {
public:
    SleeperFile()
        : path(std::filesystem::temp_directory_path() /
               ("tumblix-sleeper-" + std::to_string(getpid()) + ".lua")) {
        std::ofstream(path) << kSleeper;
    }
    ~SleeperFile() { std::filesystem::remove(path); }
    SleeperFile(const SleeperFile&) = delete;
    SleeperFile& operator=(const SleeperFile&) = delete;

    std::string name() const { return path.string(); }

private:
    std::filesystem::path path;
};

// Makes `count` objects running kSleeper in `core`, each started: waiting on its first pause.
inline void addSleepers(Core& core, const SleeperFile& file, int count) {
    const std::string script = file.name();
    for (int i = 0; i < count; ++i) {
        core.createObject(0, script)->startThread("main");
    }
}

// One frame of a Core running `count` sleepers per iteration.
template <int count>
void engineFrames(benchmark::State& state) {
    SleeperFile file;
    Core core(nullptr, nullptr);
    core.resetScripting();
    addSleepers(core, file, count);
    for (auto _ : state) {
        core.runFrame(kFrame);
    }
}

// Resumes, in each iteration, every tenth of `threads`, a different tenth in turn: as sleepers
// wake, frame after frame.
inline void resumeAsSleepersWake(benchmark::State& state, const std::vector<lua_State*>& threads) {
    constexpr size_t kStride = 10;
    size_t frame = 0;
    for (auto _ : state) {
        for (size_t i = frame % kStride; i < threads.size(); i += kStride) {
            lua_resume(threads[i], 0);
        }
        ++frame;
    }
}

// One frame's worth of the Lua work alone (LuaAlone) of `count` sleepers per iteration.
template <int count, lua_State* (LuaAlone::*start)(int id) = &LuaAlone::startThread>
void luaAloneFrames(benchmark::State& state) {
    LuaAlone lua(kSleeper);
    std::vector<lua_State*> threads;
    for (int id = 1; id <= count; ++id) {
        threads.push_back((lua.*start)(id));
    }
    resumeAsSleepersWake(state, threads);
}

}  // namespace bench
