#include "bench/peer/window_workloads.h"

#include <cstdio>

#include "bench/peer/measures.h"
#include "bench/peer/sprite_scene.h"
#include "core/core.h"
#include "objects/object.h"

namespace peer {

namespace {

// Frames drawn before the measured ones: the first frames also fill caches and compile the
// renderer's shaders.
constexpr int kWarmUpFrames = 5;

}  // namespace

int runSprites(int count, int frames, const std::string& imageFolder) {
    SpriteScene scene(imageFolder, count);
    double start = 0;
    double wallStart = 0;
    for (int frame = 0; frame < kWarmUpFrames + frames; ++frame) {
        if (frame == kWarmUpFrames) {
            start = threadSeconds();
            wallStart = wallSeconds();
        }
        if (!scene.handleMessages()) {
            std::fprintf(stderr, "the window was closed\n");
            return 1;
        }
        scene.drawFrame(frame);
    }
    std::printf("frame_cpu_ms %.3f\n", (threadSeconds() - start) / frames * 1e3);
    std::printf("frame_wall_ms %.3f\n", (wallSeconds() - wallStart) / frames * 1e3);
    return 0;
}

int runStartup(const std::string& imageFolder, const std::string& script) {
    SpriteScene scene(imageFolder, 1);
    Core core(nullptr, [&scene](float) { scene.drawFrame(0); });
    core.resetScripting();
    Object* object = core.createObject(0, script);
    if (object == nullptr || !object->startThread("main")) {
        std::fprintf(stderr, "could not start a scripted object on %s\n", script.c_str());
        return 1;
    }
    scene.handleMessages();
    core.runFrame(0.01f);
    std::printf("first_frame_us %.0f\n", realMicroseconds());
    return 0;
}

}  // namespace peer
