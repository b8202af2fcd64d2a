// Saving and loading a large scripting state, against writing and reading the same bytes the
// plainest way. A save is made durable (flushed to disk, then moved over the old file), so its
// baseline writes the bytes with one buffered write and makes them durable the same way.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/core.h"
#include "core/object.h"
#include "platform/fake/fake_platform.h"
#include "ratio_report.h"

namespace {

constexpr int kObjects = 100000;
constexpr int kGlobals = 10000;

const std::string& folder() {
    static const std::string path = [] {
        auto dir =
            std::filesystem::temp_directory_path() / ("tumblix-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        return dir.string();
    }();
    return path;
}

Core& bigState() {
    static Core* core = [] {
        fake::reset();
        auto* made = new Core(nullptr, nullptr);
        made->resetScripting();
        std::string chunk = "for i = 1, " + std::to_string(kGlobals) +
                            " do\n"
                            "  local kind = i % 3\n"
                            "  if kind == 0 then state['n' .. i] = i * 0.5\n"
                            "  elseif kind == 1 then state['s' .. i] = 'value ' .. i\n"
                            "  else state['b' .. i] = (i % 2 == 0) end\n"
                            "end";
        luaL_dostring(made->getLuaState(), chunk.c_str());
        for (int i = 0; i < kObjects; ++i) {
            Object* object = made->createObject(0, "scripts/enemy.lua");
            object->setNumber("x", i);
            object->setNumber("y", i * 2.0);
            object->setNumber("speed", 1.5);
            object->setString("name", "enemy " + std::to_string(i));
            object->setString("state", "idle");
            object->setBool("alive", true);
            object->setBool("boss", i % 100 == 0);
            object->setNumber("hp", 100);
        }
        return made;
    }();
    return *core;
}

std::string savedPath() {
    return folder() + "/state.bin";
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void Save(benchmark::State& state) {
    Core& core = bigState();
    for (auto _ : state) {
        if (!core.saveState(savedPath())) {
            state.SkipWithError("save failed");
        }
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(savedPath()));
}

void RawWrite(benchmark::State& state) {
    bigState().saveState(savedPath());
    const std::string bytes = readAll(savedPath());
    const std::string temporary = folder() + "/raw.tmp", target = folder() + "/raw.bin";
    for (auto _ : state) {
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        int descriptor = ::open(temporary.c_str(), O_RDONLY);
        ::fsync(descriptor);
        ::close(descriptor);
        std::rename(temporary.c_str(), target.c_str());
    }
}

void Load(benchmark::State& state) {
    Core& core = bigState();
    core.saveState(savedPath());
    for (auto _ : state) {
        // Discarding the state a load replaces is the reset's work, not the load's.
        state.PauseTiming();
        core.resetScripting();
        state.ResumeTiming();
        if (!core.loadState(savedPath())) {
            state.SkipWithError("load failed");
        }
    }
}

// Reads every value the file holds, one std::ifstream::read each, and builds nothing: how a
// plain loader meets the bytes.
void RawRead(benchmark::State& state) {
    bigState().saveState(savedPath());
    for (auto _ : state) {
        std::ifstream in(savedPath(), std::ios::binary);
        int32_t number = 0;
        double real = 0;
        unsigned char marker = 0;
        std::string text;
        auto readString = [&] {
            in.read(reinterpret_cast<char*>(&number), 4);
            text.resize(static_cast<size_t>(number));
            in.read(text.data(), number);
        };
        while (in.read(reinterpret_cast<char*>(&marker), 1) && marker != 0) {
            readString();
            in.read(reinterpret_cast<char*>(&number), 4);
            if (number == 1) {
                in.read(reinterpret_cast<char*>(&marker), 1);
            } else if (number == 3) {
                in.read(reinterpret_cast<char*>(&real), 8);
            } else {
                readString();
            }
        }
        int32_t objects = 0;
        in.read(reinterpret_cast<char*>(&objects), 4);
        for (int32_t i = 0; i < objects; ++i) {
            in.read(reinterpret_cast<char*>(&number), 4);
            readString();
            in.read(reinterpret_cast<char*>(&number), 4);
        }
        for (int32_t i = 0; i < objects; ++i) {
            int32_t keys = 0;
            in.read(reinterpret_cast<char*>(&real), 4);
            in.read(reinterpret_cast<char*>(&keys), 4);
            for (int32_t k = 0; k < keys; ++k) {
                readString();
                in.read(reinterpret_cast<char*>(&number), 4);
                if (number == 1) {
                    in.read(reinterpret_cast<char*>(&real), 8);
                } else if (number == 2) {
                    readString();
                } else {
                    in.read(reinterpret_cast<char*>(&marker), 1);
                }
            }
        }
        in.read(reinterpret_cast<char*>(&number), 4);
        benchmark::DoNotOptimize(number);
    }
}

BENCHMARK(Save)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RawWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RawRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    int status = bench::runWithRatios(
        argc, argv,
        {{"save_vs_raw_write", "Save", "RawWrite"}, {"load_vs_raw_read", "Load", "RawRead"}});
    std::filesystem::remove_all(folder());
    return status;
}
