#include "core/pause_countdowns.h"

void PauseCountdowns::extendTo(size_t slot) {
    if (slot == chunks.size() * kChunk) {
        chunks.push_back(std::make_unique<Chunk>());
    }
    release(slot);
}

float* PauseCountdowns::keep(size_t slot, float seconds) {
    Chunk& chunk = at(slot);
    chunk.seconds[slot % kChunk] = seconds;
    chunk.plain[slot % kChunk] = 1;
    return &chunk.seconds[slot % kChunk];
}

void PauseCountdowns::release(size_t slot) {
    Chunk& chunk = at(slot);
    chunk.seconds[slot % kChunk] = 0.0f;
    chunk.plain[slot % kChunk] = 0;
}

float* PauseCountdowns::move(size_t from, size_t to) {
    if (!keeps(from)) {
        release(to);
        return nullptr;
    }
    return keep(to, seconds(from));
}

void PauseCountdowns::shrinkTo(size_t slots) {
    chunks.resize((slots + kChunk - 1) / kChunk);
}
