// Core::saveState and Core::loadState: the scripting state to and from a state file, whose
// sections persist/state_format.cpp writes and reads.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "core/core.h"
#include "core/state_variables.h"
#include "log/log.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "persist/save_target.h"
#include "persist/state_format.h"
#include "platform/os.h"

namespace {

// Each logs why the file at `path` was not saved, or not loaded, and returns false.
bool refuseSave(const std::string& path, const std::string& reason) {
    Log::info(Log::Text{"The state was not saved to '" + path + "': " + reason + "."});
    return false;
}

bool refuse(const std::string& path, const std::string& reason) {
    Log::info(Log::Text{"The state file '" + path + "' was not loaded: " + reason + "."});
    return false;
}

bool save(Core& core, const std::string& path) {
    std::string target;
    std::string problem;
    if (!findSaveTarget(path, target, problem)) {
        return refuseSave(path, problem);
    }
    // Written beside the target and moved over it only when complete: a save that fails half
    // way never costs the player the file that was there.
    const std::string temporary = target + ".saving";
    if (!clearSaveTemporary(temporary, problem)) {
        return refuseSave(path, problem);
    }
    BinaryWriter writer(&core);
    if (!writer.create(temporary)) {
        return refuseSave(path, "'" + temporary + "' cannot be created");
    }
    std::vector<StoredGlobal> globals;
    if (core.getLuaState() != nullptr) {
        const std::string unsupported = copyStateVariables(core.getLuaState(), globals);
        if (!unsupported.empty()) {
            writer.close();
            std::remove(temporary.c_str());
            Log::error(Log::Text{unsupportedGlobalMessage(unsupported)});
        }
    }
    writeStateFile(writer, globals, core.getObjects(), core.getNextObjectId());

    // Flushed to the disk through the file itself, never by its name, which may name
    // something else by now.
    const bool onDisk = writer.flushToDisk();
    if (!writer.close() || !onDisk) {
        std::remove(temporary.c_str());
        return refuseSave(path, "writing '" + temporary + "' failed (is the disk full?)");
    }
    if (!platform::replaceFile(temporary, target)) {
        std::remove(temporary.c_str());
        return refuseSave(path, "'" + temporary + "' could not take the old file's place");
    }
    return true;
}

// The objects of a file being loaded: every one made, unlisted, once the headers are read, then
// each given its key block through its own load. Until the Core adopts them they are this
// reader's alone, so a file that fails half way is dropped with them and the running state
// never sees it.
class LoadedObjects : public ObjectBlockReader {
public:
    explicit LoadedObjects(Core& core) : core(core) {}

    std::string headersRead(const std::vector<StoredObject>& stored) override {
        if (std::string problem = scriptsAllowed(stored); !problem.empty()) {
            return problem;
        }
        // All before any block: a block may name any object of the file (BinaryReader's
        // readObject), and finds it among these.
        made.reserve(stored.size());
        for (const StoredObject& object : stored) {
            made.push_back(core.makeUnlistedObject(object.type, object.script, object.id));
            if (made.back() == nullptr) {
                return "it holds objects of type " + std::to_string(object.type) +
                       ", which this program cannot make";
            }
        }
        return std::string();
    }

    std::string readBlock(BinaryReader& reader, size_t index, StoredObject& stored) override {
        const size_t start = reader.position();
        made[index]->load(reader);
        return reader.good() ? std::string()
                             : keyBlockProblem(reader, start, index, stored.type == 0);
    }

    // The first object of the file with `id`, as findObject answers once they are listed.
    Object* find(int id) {
        if (byId.empty()) {  // made only for a host type whose load reads an object
            for (const std::unique_ptr<Object>& object : made) {
                byId.try_emplace(object->getId(), object.get());
            }
        }
        auto found = byId.find(id);
        return found == byId.end() ? nullptr : found->second;
    }

    std::vector<std::unique_ptr<Object>> made;

private:
    std::string scriptsAllowed(const std::vector<StoredObject>& stored) const {
        std::unordered_set<std::string> allowed;  // most objects share a few scripts
        for (size_t index = 0; index < stored.size(); ++index) {
            const std::string& script = stored[index].script;
            if (allowed.count(script) == 0 && !core.isScriptAllowed(script)) {
                return "object " + std::to_string(index + 1) + "'s script '" + script +
                       "' lies outside the script folder '" + core.getScriptFolder() + "'";
            }
            allowed.insert(script);
        }
        return std::string();
    }

    Core& core;
    std::unordered_map<int, Object*> byId;
};

// A file may give a next id that a loaded object already has (or 0, which names no object);
// new objects would then repeat live ids. Ids go on above the largest loaded one instead,
// wrapping at the end of the int range as the counter does.
int nextIdPastLoaded(const StateFileContents& contents) {
    int64_t next = contents.nextObjectId;
    for (const StoredObject& object : contents.objects) {
        next = std::max<int64_t>(next, int64_t{object.id} + 1);
    }
    if (next == 0) {
        next = 1;
    }
    return static_cast<int>(static_cast<uint32_t>(next));
}

bool loadWhole(Core& core, const std::string& path) {
    BinaryReader reader(&core);
    std::string problem;
    if (!reader.open(path, problem)) {
        return refuse(path, problem);
    }
    LoadedObjects objects(core);
    reader.findObjectsWith([&objects](int id) { return objects.find(id); });
    StateFileContents contents;
    std::string unsupported;
    problem = readStateFile(reader, objects, contents, unsupported);
    if (!unsupported.empty()) {
        Log::error(Log::Text{unsupportedGlobalMessage(unsupported)});
    }
    if (!problem.empty()) {
        return refuse(path, problem);
    }

    const int given = contents.nextObjectId;
    const int next = nextIdPastLoaded(contents);
    if (!core.adoptLoadedState(std::move(objects.made), next)) {
        return refuse(path, "the scripting state could not be reset");
    }
    setStateVariables(core.getLuaState(), contents.globals);
    if (next != given) {
        Log::info(
            Log::Text{"The state file '" + path + "' gives " + std::to_string(given) +
                      " as the next object id, " +
                      (given == 0 ? "which names no object" : "at or below a loaded object's id") +
                      "; new objects are numbered from " + std::to_string(next) + "."});
    }
    if (reader.remaining() != 0) {
        // The state ends with the next object id; what follows is not read, so a file that
        // something was appended to still loads.
        Log::info(Log::Text{"The state file '" + path + "' ends with " +
                            std::to_string(reader.remaining()) +
                            " bytes after its state, which were ignored."});
    }
    return true;
}

}  // namespace

bool Core::saveState(std::string path) {
    return save(*this, path);
}

bool Core::loadState(std::string path) {
    if (isScriptRunning()) {  // the reset would close the Lua state under the script
        Log::info("loadState: refused while a script runs; ask with requestLoadState.");
        return false;
    }
    try {
        return loadWhole(*this, path);
    } catch (const std::exception& error) {  // out of memory, or thrown by a host type's code
        return refuse(path, std::string("loading it raised an exception (") + error.what() + ")");
    }
}
