#include "bench/peer/scripted_objects.h"

#include <cstdio>

#include "bench/peer/measures.h"
#include "core/core.h"
#include "objects/object.h"

namespace peer {

namespace {

constexpr float kFrameSeconds = 0.01f;

class EngineObjects final : public ScriptedObjects {
public:
    explicit EngineObjects(const std::string& script) : script(script) { core.resetScripting(); }

    bool create(int count) override {
        for (int i = 0; i < count; ++i) {
            Object* object = core.createObject(0, script);
            if (object == nullptr || !object->startThread("main")) {
                std::fprintf(stderr, "could not start a scripted object on %s\n", script.c_str());
                return false;
            }
        }
        return true;
    }
    bool runFrame(float seconds) override {
        core.runFrame(seconds);
        return true;
    }
    void eachWakes(const std::function<void(int id, double wakes)>& visit) const override {
        for (const Object* object : core.getObjects()) {
            visit(object->getId(), object->getNumber("n"));
        }
    }

private:
    Core core{nullptr, nullptr};
    std::string script;
};

}  // namespace

int measureScriptedObjects(ScriptedObjects& objects, int count, int frames) {
    const long kilobytesBefore = residentKilobytes();

    const double createStart = threadSeconds();
    const double createWallStart = wallSeconds();
    if (!objects.create(count)) {
        return 1;
    }
    const double createSeconds = threadSeconds() - createStart;
    const double createWallSeconds = wallSeconds() - createWallStart;
    const long kilobytesCreated = residentKilobytes();

    const double framesStart = threadSeconds();
    const double framesWallStart = wallSeconds();
    for (int frame = 0; frame < frames; ++frame) {
        if (!objects.runFrame(kFrameSeconds)) {
            return 1;
        }
    }
    const double frameSeconds = (threadSeconds() - framesStart) / frames;
    const double frameWallSeconds = (wallSeconds() - framesWallStart) / frames;
    const long kilobytesAfter = residentKilobytes();

    double wakes = 0;
    double checksum = 0;  // sum of id x wakes: exact in a double at these sizes
    objects.eachWakes([&](int id, double n) {
        wakes += n;
        checksum += n * id;
    });
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

int runScriptedObjects(int count, int frames, const std::string& script) {
    EngineObjects objects(script);
    return measureScriptedObjects(objects, count, frames);
}

}  // namespace peer
