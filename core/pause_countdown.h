// One frame of an object's pause timer, for Object::update and the frame walk, which counts a
// plain Object's timer down in the list without calling it: the two must agree to the bit.
#pragma once

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
