// The load of the scale benchmarks: scripted objects sleeping on their pauses, a tenth of them
// waking in each frame.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/core.h"
#include "objects/object.h"

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

}  // namespace bench
