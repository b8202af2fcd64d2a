// The main loop: one window message per pass, a frame whenever none waits.
//
// A frame's duration is the time since the previous frame's clock reading (the first frame's:
// since run began), held within 0.8 to 1.2 times the previous duration once there is one, then
// capped at 1/45 s, so a stall (a dragged window, a breakpoint) never turns into one huge step.
#include <cstdint>
#include <new>

#include "core/core.h"
#include "core/core_parts.h"
#include "log/log.h"
#include "platform/constants.h"
#include "platform/os.h"

namespace {

constexpr float kLongestFrame = 1.0f / 45.0f;  // 0.022222223
constexpr float kMostGrowth = 1.2f;
constexpr float kMostShrink = 0.8f;

// Seconds on the millisecond counter since `lastReading`, which becomes the current reading.
// The subtraction is modular, so the counter wrapping after 49.7 days costs nothing.
float secondsSince(uint32_t& lastReading) {
    const uint32_t now = platform::timeGetTime();
    const uint64_t elapsed = static_cast<uint32_t>(now - lastReading);
    lastReading = now;
    return static_cast<float>(static_cast<double>(elapsed) / 1000.0);
}

// The products are formed in double from the float previous duration, as the comparisons are.
float frameDuration(float raw, float previous) {
    if (previous != 0.0f) {
        const double longest = static_cast<double>(previous) * kMostGrowth;
        if (raw > longest) {
            raw = static_cast<float>(longest);
        }
        const double shortest = static_cast<double>(previous) * kMostShrink;
        if (raw < shortest) {
            raw = static_cast<float>(shortest);
        }
    }
    return raw > kLongestFrame ? kLongestFrame : raw;
}

}  // namespace

bool Core::run() {
    float previous = 0.0f;
    uint32_t lastReading = platform::timeGetTime();
    platform::Message message;
    for (;;) {
        if (platform::peekMessage(message)) {
            platform::translateMessage(message);
            platform::dispatchMessage(message);
            if (message.message == platform::WM_QUIT) {
                Log::info("Graceful shutdown detected.");
                return true;
            }
        } else if (running) {
            previous = frameDuration(secondsSince(lastReading), previous);
            runFrame(previous);
            platform::sleep(1);
        } else {
            platform::sleep(1000);
        }
    }
}

void Core::runFrame(float elapsed) {
    parts->compiledScripts.newFrame();
    time += elapsed;
    try {
        parts->objects.walk(elapsed);
        if (frameCallback) {
            frameCallback(elapsed);
        }
        performRequests();
    } catch (const std::bad_alloc&) {
        // Memory ran out where no script was there to be told: the player learns of it as of
        // any other fatal error. (The text fits a string without allocating.)
        Log::error(Log::Text{"Out of memory."});
    }
}
