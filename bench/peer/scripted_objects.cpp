#include "bench/peer/scripted_objects.h"

#include <cstdio>

#include "bench/peer/measures.h"
#include "core/core.h"
#include "objects/object.h"

namespace peer {

namespace {

constexpr float kFrameSeconds = 0.01f;

}  // namespace

int runScriptedObjects(int count, int frames, const std::string& script) {
    Core core(nullptr, nullptr);
    core.resetScripting();
    const long kilobytesBefore = residentKilobytes();

    const double createStart = threadSeconds();
    const double createWallStart = wallSeconds();
    for (int i = 0; i < count; ++i) {
        Object* object = core.createObject(0, script);
        if (object == nullptr || !object->startThread("main")) {
            std::fprintf(stderr, "could not start a scripted object on %s\n", script.c_str());
            return 1;
        }
    }
    const double createSeconds = threadSeconds() - createStart;
    const double createWallSeconds = wallSeconds() - createWallStart;
    const long kilobytesCreated = residentKilobytes();

    const double framesStart = threadSeconds();
    const double framesWallStart = wallSeconds();
    for (int frame = 0; frame < frames; ++frame) {
        core.runFrame(kFrameSeconds);
    }
    const double frameSeconds = (threadSeconds() - framesStart) / frames;
    const double frameWallSeconds = (wallSeconds() - framesWallStart) / frames;
    const long kilobytesAfter = residentKilobytes();

    double wakes = 0;
    double checksum = 0;  // sum of id x wakes: exact in a double at these sizes
    for (const Object* object : core.getObjects()) {
        const double n = object->getNumber("n");
        wakes += n;
        checksum += n * object->getId();
    }
    const double perTenThousand = 10000.0 / count / 1024.0;  // kilobytes to MB per 10,000
    std::printf("create_ms %.3f\n", createSeconds * 1e3);
    std::printf("create_wall_ms %.3f\n", createWallSeconds * 1e3);
    std::printf("frame_ms %.4f\n", frameSeconds * 1e3);
    std::printf("frame_wall_ms %.4f\n", frameWallSeconds * 1e3);
    std::printf("rss_created_mb_per_10k %.2f\n",
                static_cast<double>(kilobytesCreated - kilobytesBefore) * perTenThousand);
    std::printf("rss_mb_per_10k %.2f\n",
                static_cast<double>(kilobytesAfter - kilobytesBefore) * perTenThousand);
    std::printf("wakes %.0f\n", wakes);
    std::printf("checksum %.0f\n", checksum);
    return 0;
}

}  // namespace peer
