// One frame of an object's pause timer, for Object::update and the frame walk, which counts a
// plain Object's timer down in the list without calling it: the two must agree to the bit.
#pragma once

#include <bit>
#include <cstdint>

// Counts `timer` down by `elapsed` when it runs; true when it runs out in this frame, having
// come to rest at 0. A timer at or below 0, or NaN, does not run.
inline bool runsOut(float& timer, float elapsed) {
    if (!(timer > 0.0f)) {
        return false;
    }
    timer = timer - elapsed;
    if (timer <= 0.0f) {
        timer = 0.0f;
        return true;
    }
    return false;
}

// Whether runsOut(timer, elapsed) would find that `timer` runs out. Without branches, so that
// a loop over many can check them side by side.
inline bool runsOutNext(float timer, float elapsed) {
    return (timer > 0.0f) & (timer - elapsed <= 0.0f);
}

// runsOut for a timer that does not run out in this frame (!runsOutNext). Written without a
// branch, so that a loop over many counts them down side by side: the difference is made
// whether the timer runs or not, and the bits of one or the other stored.
inline void countsOn(float& timer, float elapsed) {
    const float counted = timer - elapsed;
    const uint32_t runs = 0u - static_cast<uint32_t>(timer > 0.0f);
    timer = std::bit_cast<float>((std::bit_cast<uint32_t>(counted) & runs) |
                                 (std::bit_cast<uint32_t>(timer) & ~runs));
}
