#pragma once

#include <functional>
#include <string>

namespace peer {

// Scripted objects waking on their pauses, whoever runs them: the engine, or the floor, the
// same Lua work in a bare host with none of the engine's bookkeeping.
class ScriptedObjects {
public:
    virtual ~ScriptedObjects() = default;
    // Creates `count` objects, ids 1 to `count`, and starts each one's main; false, having said
    // why on standard error, when one fails.
    virtual bool create(int count) = 0;
    // False, having said why, when a script failed.
    virtual bool runFrame(float seconds) = 0;
    // Calls `visit` with every object's id and key "n", the count of its wakes.
    virtual void eachWakes(const std::function<void(int id, double wakes)>& visit) const = 0;
};

// Creates `count` of `objects` and runs `frames` frames of 0.01 s. Prints, one "name value" a
// line: the processor time of the creation and of a frame, the growth of the resident memory
// per 10,000 objects, and the total of the wakes with a checksum of who woke how often, for
// comparing runs. What `objects` took before, a Lua state say, is not counted.
int measureScriptedObjects(ScriptedObjects& objects, int count, int frames);

// The workload on the engine's objects running `script` (bench/peer/sleeper.lua).
int runScriptedObjects(int count, int frames, const std::string& script);
// The workload's floor: the same on the bare host of scripted_floor.cpp.
int runScriptedFloor(int count, int frames, const std::string& script);

}  // namespace peer
