// The main loop: one window message per pass, a frame whenever none waits.
//
// A frame's duration is the time since the previous frame's clock reading (the first frame's:
// since run began), held within 0.8 to 1.2 times the previous duration once there is one, then
// capped at 1/45 s, so a stall (a dragged window, a breakpoint) never turns into one huge step.
#include <cstdint>
#include <new>

#include "core/core.h"
#include "log/log.h"
#include "objects/object.h"
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
    compiledScripts.newFrame();
    time += elapsed;
    try {
        updateObjects(elapsed);
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

void Core::updateObjects(float elapsed) {
    struct WalkScope {
        Core& core;
        explicit WalkScope(Core& core) : core(core) { ++core.walkDepth; }
        ~WalkScope() { core.endWalk(); }  // also when a script error ends the frame
    } scope(*this);
    // The size is read afresh at each step, so objects created during the walk are updated in
    // this frame too; deleted ones leave holes, which are skipped.
    //
    // Each object, and each script thread, lives apart from the others, in memory that is
    // rarely in the cache. So the walk asks for an object some steps before it comes to it, and
    // for the thread it will wake half as many steps before, and the fetches overlap instead of
    // following one another.
    constexpr size_t kAhead = 32;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i + kAhead < objects.size()) {
            __builtin_prefetch(objects[i + kAhead]);
        }
        if (i + kAhead / 2 < objects.size() && objects[i + kAhead / 2] != nullptr) {
            prefetchWaiter(*objects[i + kAhead / 2], elapsed);
        }
        if (Object* object = objects[i]) {
            object->update(elapsed);
        }
    }
}

// A hint, so a guess will do: an object that updates as Object does wakes the thread waiting
// on its pause when the time left runs out in this frame. What the thread's resume reads lies
// from the start of its state on: LuaMemory cut it together with its call records, its stack,
// its environment and the functions its file made (prepareThread).
void Core::prefetchWaiter(const Object& object, float elapsed) const {
    constexpr int kThreadBytes = 1536;  // its state, call records, stack and environment
    const Lock& lock = object.firstLock;
    if (lock.thread == nullptr || !(object.waitTimer > 0.0f) || object.waitTimer > elapsed) {
        return;
    }
    const char* thread = reinterpret_cast<const char*>(lock.thread);
    for (int offset = 0; offset < kThreadBytes; offset += 64) {
        __builtin_prefetch(thread + offset);
    }
    __builtin_prefetch(lock.owner);
}

void Core::endWalk() {
    if (--walkDepth > 0) {
        return;
    }
    std::vector<Object*> doomed;
    doomed.swap(doomedObjects);
    for (Object* object : doomed) {
        delete object;
    }
    if (holes > objects.size() / 2) {
        compactObjects();
    }
}
