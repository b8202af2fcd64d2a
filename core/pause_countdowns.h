// The pause timers of the plain Objects in the object list (exactly Object, no host type, so
// nothing but Object's own code reaches the timer), kept slot for slot beside the list instead
// of in the objects: the frame walk counts them down without reading the objects, and reads a
// plain Object only when its time runs out. In chunks, so that a timer stays where it is while
// the list grows; checked and counted down kRun slots at a time, side by side in the machine's
// vector registers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "pause_countdown.h"

class PauseCountdowns {
public:
    // Slots in a run: a power of 2, so that a run that starts at a multiple of it lies in one
    // chunk.
    static constexpr size_t kRun = 8;

    // Makes room for a timer in `slot`, the slot after the last.
    void extendTo(size_t slot);
    // Keeps `seconds` as the timer of the plain Object in `slot`; returns where it is kept.
    float* keep(size_t slot, float seconds);
    // Whether `slot` keeps a plain Object's timer.
    bool keeps(size_t slot) const { return at(slot).plain[slot % kChunk] != 0; }
    float& seconds(size_t slot) { return at(slot).seconds[slot % kChunk]; }
    // The slot keeps no timer from now on.
    void release(size_t slot);
    // Moves the timer of slot `from`, or that it keeps none, to slot `to`, before it; returns
    // where the timer is kept now, or null.
    float* move(size_t from, size_t to);
    // Lets the slots from `slots` on go.
    void shrinkTo(size_t slots);

    // Whether the walk has more to do in the run from `first` (a multiple of kRun whose run
    // lies within the slots made room for) than count timers down: a slot there keeps none, or
    // its timer runs out in this frame (runsOutNext).
    bool needsAttention(size_t first, float elapsed) const {
        const Chunk& chunk = at(first);
        Masks busy = {};
        for (size_t lane = first % kChunk; lane < first % kChunk + kRun; lane += kLanes) {
            Timers seconds;
            Masks plain;
            std::memcpy(&seconds, &chunk.seconds[lane], sizeof seconds);
            std::memcpy(&plain, &chunk.plain[lane], sizeof plain);
            busy |= (plain == 0) | ((seconds > 0.0f) & (seconds - elapsed <= 0.0f));
        }
        uint64_t words[2];
        std::memcpy(words, &busy, sizeof busy);
        return (words[0] | words[1]) != 0;
    }
    // A bit for each slot of such a run, bit 0 for `first`: set where the walk has more to do.
    unsigned attention(size_t first, float elapsed) const {
        if (!needsAttention(first, elapsed)) {
            return 0;
        }
        const Chunk& chunk = at(first);
        unsigned bits = 0;
        for (size_t k = 0, slot = first % kChunk; k < kRun; ++k, ++slot) {
            if (chunk.plain[slot] == 0 || runsOutNext(chunk.seconds[slot], elapsed)) {
                bits |= 1u << k;
            }
        }
        return bits;
    }
    // Counts down the timers of the run from `first`, which needs no attention, as runsOut
    // would one by one: the difference is made for every slot, and its bits stored where the
    // timer runs, the timer's own elsewhere.
    void countDownRun(size_t first, float elapsed) {
        float* timers = &at(first).seconds[first % kChunk];
        for (size_t lane = 0; lane < kRun; lane += kLanes) {
            Timers seconds;
            std::memcpy(&seconds, timers + lane, sizeof seconds);
            const Timers counted = seconds - elapsed;
            Masks countedBits, ownBits;
            std::memcpy(&countedBits, &counted, sizeof countedBits);
            std::memcpy(&ownBits, &seconds, sizeof ownBits);
            const Masks runs = seconds > 0.0f;
            const Masks kept = (countedBits & runs) | (ownBits & ~runs);
            std::memcpy(timers + lane, &kept, sizeof kept);
        }
    }

private:
    static constexpr size_t kChunk = 4096;
    // Plain is 0 or 1, as wide as a timer, so that a run of both is checked in one sweep.
    struct Chunk {
        float seconds[kChunk];
        uint32_t plain[kChunk];
    };

    // Timers and plain flags of four slots side by side, in the compiler's vector types (GCC
    // and Clang), which become the machine's vector instructions where it has them: a
    // comparison gives -1 where it holds and 0 where not.
    static constexpr size_t kLanes = 4;
    using Timers = float __attribute__((vector_size(kLanes * sizeof(float))));
    using Masks = int32_t __attribute__((vector_size(kLanes * sizeof(int32_t))));

    Chunk& at(size_t slot) { return *chunks[slot / kChunk]; }
    const Chunk& at(size_t slot) const { return *chunks[slot / kChunk]; }

    std::vector<std::unique_ptr<Chunk>> chunks;
};
