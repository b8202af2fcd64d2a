// The Tumblix side of the peer benchmark: one workload per run, named by the first argument,
// its figures printed one "name value" a line. scripts/peer-bench.sh runs it alternately with
// the LÖVE project in love/, which takes the same arguments and prints the same names.
//
//   peer_host scripts <objects> <frames> <sleeper.lua>
//   peer_host scripts-floor <objects> <frames> <sleeper.lua>   (the same Lua work, bare)
//   peer_host sprites <sprites> <frames> <image folder>
//   peer_host startup <image folder> <sleeper.lua>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/peer/scripted_objects.h"
#include "bench/peer/window_workloads.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: peer_host scripts <objects> <frames> <sleeper.lua>\n"
                 "       peer_host scripts-floor <objects> <frames> <sleeper.lua>\n"
                 "       peer_host sprites <sprites> <frames> <image folder>\n"
                 "       peer_host startup <image folder> <sleeper.lua>\n");
    return 2;
}

// A count of 1 or more, or 0 for anything else.
int positive(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 && value <= 10000000 ? static_cast<int>(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string workload = argc > 1 ? argv[1] : "";
    // Frames are presented as soon as they are drawn, whatever the renderer.
    setenv("SDL_RENDER_VSYNC", "0", 1);
    try {
        if (workload == "startup" && argc == 4) {
            return peer::runStartup(argv[2], argv[3]);
        }
        if (argc != 5 || positive(argv[2]) == 0 || positive(argv[3]) == 0) {
            return usage();
        }
        if (workload == "scripts") {
            return peer::runScriptedObjects(positive(argv[2]), positive(argv[3]), argv[4]);
        }
        if (workload == "scripts-floor") {
            return peer::runScriptedFloor(positive(argv[2]), positive(argv[3]), argv[4]);
        }
        if (workload == "sprites") {
            return peer::runSprites(positive(argv[2]), positive(argv[3]), argv[4]);
        }
        return usage();
    } catch (int) {
        return 1;  // Log::error has said why on standard error
    }
}
