// One frame's update walk over 100,000 plain objects with nothing to do, against a loop making
// the same 100,000 virtual calls on objects that check a timer.
//
// The walk reads one cache line per object, so its time follows the objects' size. The baseline
// objects have an Object's size, and the ratio measures what the walk itself adds. The output
// also shows the loop over 16-byte objects, which pack four to a cache line.
#include <memory>
#include <vector>

#include "bench/ratio.h"
#include "core/core.h"
#include "core/object.h"

namespace {

constexpr int kObjects = 100000;

void engineWalk(benchmark::State& state) {
    Core core(nullptr, nullptr);
    core.resetScripting();
    for (int i = 0; i < kObjects; ++i) {
        core.createObject(0, "");
    }
    for (auto _ : state) {
        core.runFrame(0.02f);
    }
}

struct Updatable {
    virtual ~Updatable() = default;
    virtual void update(float elapsed) = 0;
};

template <size_t Size>
struct Timer : Updatable {
    void update(float elapsed) override {
        if (seconds > 0.0f) {
            seconds -= elapsed;
        }
    }
    float seconds = 0.0f;
    char rest[Size - sizeof(Updatable) - sizeof(float)];
};

template <size_t Size>
void virtualCalls(benchmark::State& state) {
    std::vector<std::unique_ptr<Updatable>> items;
    for (int i = 0; i < kObjects; ++i) {
        items.push_back(std::make_unique<Timer<Size>>());
    }
    for (auto _ : state) {
        for (auto& item : items) {
            item->update(0.02f);
        }
        benchmark::ClobberMemory();
    }
}

void virtualCallsObjectSized(benchmark::State& state) {
    virtualCalls<sizeof(Object)>(state);
}

void virtualCallsCompact(benchmark::State& state) {
    virtualCalls<16>(state);
}
BENCHMARK(virtualCallsCompact);

}  // namespace

int main(int argc, char** argv) {
    return bench::compare(argc, argv, "idle_walk_100k", {"engineWalk", engineWalk},
                          {"virtualCallsObjectSized", virtualCallsObjectSized});
}
