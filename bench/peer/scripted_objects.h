#pragma once

#include <string>

namespace peer {

// Creates `count` objects on `script` (bench/peer/sleeper.lua) and starts each one's main, then
// runs `frames` frames of 0.01 s. Prints, one "name value" a line: the processor time of the
// creation and of a frame, the growth of the resident memory per 10,000 objects, and the
// total of the wakes with a checksum of who woke how often, for comparing runs.
int runScriptedObjects(int count, int frames, const std::string& script);

}  // namespace peer
