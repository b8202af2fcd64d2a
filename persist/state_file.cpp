// Core::saveState and Core::loadState: the scripting state to and from a state file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <unordered_set>

#include "core/core.h"
#include "core/core_parts.h"
#include "log/log.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "persist/save_target.h"
#include "persist/state_file_scan.h"
#include "platform/os.h"

class StateFile {
public:
    static bool save(Core& core, const std::string& path);
    static bool load(Core& core, const std::string& path);
    static bool loadWhole(Core& core, const std::string& path);

private:
    static std::string writeGlobals(lua_State* L, BinaryWriter& writer);
    static bool readOwnLayouts(Core& core, BinaryReader& reader, StateFileContents& contents,
                               std::string& problem);
    static bool scriptsAllowed(const Core& core, const StateFileContents& contents,
                               std::string& problem);
    static void raiseNextObjectId(Core& core, const std::string& path);
    static void setGlobals(lua_State* L, const std::vector<StoredGlobal>& globals);
    // Each logs why the file at `path` was not loaded, or not saved, and returns false.
    static bool refuse(const std::string& path, const std::string& reason);
    static bool refuseSave(const std::string& path, const std::string& reason);
};

namespace {

std::string unsupportedMessage(const std::string& name) {
    return "Global variable '" + name + "' type not supported.";
}

// The name a state-table key is saved under; false when the key has no string form. A number
// is given the string form Lua gives it, made here: a string made in Lua's memory could run a
// finalizer (__gc) that changes the table under the traversal, and Lua's conversion would
// change the key itself in place, which would derail lua_next.
bool keyName(lua_State* L, int index, std::string& name) {
    switch (lua_type(L, index)) {
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, index, &length);
            name.assign(text, length);
            return true;
        }
        case LUA_TNUMBER: {
            char text[64];
            std::snprintf(text, sizeof text, LUA_NUMBER_FMT, lua_tonumber(L, index));
            name = text;
            return true;
        }
        case LUA_TBOOLEAN:
            name = lua_toboolean(L, index) ? "true" : "false";
            return false;
        default:
            name = std::string("(") + luaL_typename(L, index) + " key)";
            return false;
    }
}

}  // namespace

bool Core::saveState(std::string path) {
    return StateFile::save(*this, path);
}

bool Core::loadState(std::string path) {
    return StateFile::load(*this, path);
}

// Stack effect: none. Returns the name of the first variable that cannot be stored, or empty.
std::string StateFile::writeGlobals(lua_State* L, BinaryWriter& writer) {
    std::string unsupported;
    int top = lua_gettop(L);
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX) != 0) {  // key, value
        std::string name;
        int type = lua_type(L, -1);
        if (!keyName(L, -2, name) || (type != LUA_TNIL && type != LUA_TBOOLEAN &&
                                      type != LUA_TNUMBER && type != LUA_TSTRING)) {
            unsupported = name;
            break;
        }
        writer.write(static_cast<unsigned char>(1));
        writer.write(name);
        writer.write(type);
        if (type == LUA_TBOOLEAN) {
            writer.write(lua_toboolean(L, -1) != 0);
        } else if (type == LUA_TNUMBER) {
            writer.write(static_cast<double>(lua_tonumber(L, -1)));
        } else if (type == LUA_TSTRING) {
            size_t length = 0;
            const char* text = lua_tolstring(L, -1, &length);
            writer.write(std::string(text, length));
        }
        lua_pop(L, 1);  // key
    }
    lua_settop(L, top);
    return unsupported;
}

bool StateFile::save(Core& core, const std::string& path) {
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
    if (core.luaState != nullptr) {
        std::string unsupported = writeGlobals(core.luaState, writer);
        if (!unsupported.empty()) {
            writer.close();
            std::remove(temporary.c_str());
            Log::error(Log::Text{unsupportedMessage(unsupported)});
        }
    }
    writer.write(static_cast<unsigned char>(0));

    std::vector<Object*> objects = core.getObjects();
    writer.write(static_cast<int>(objects.size()));
    for (const Object* object : objects) {
        writer.write(object->getType());
        writer.write(object->getScript());
        writer.write(object->getId());
    }
    for (const Object* object : objects) {
        object->save(writer);
    }
    writer.write(core.nextObjectId);

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

bool StateFile::refuseSave(const std::string& path, const std::string& reason) {
    Log::info(Log::Text{"The state was not saved to '" + path + "': " + reason + "."});
    return false;
}

bool StateFile::refuse(const std::string& path, const std::string& reason) {
    Log::info(Log::Text{"The state file '" + path + "' was not loaded: " + reason + "."});
    return false;
}

bool StateFile::scriptsAllowed(const Core& core, const StateFileContents& contents,
                               std::string& problem) {
    std::unordered_set<std::string> allowed;  // most objects share a few scripts
    for (size_t index = 0; index < contents.objects.size(); ++index) {
        const std::string& script = contents.objects[index].script;
        if (allowed.count(script) == 0 && !core.isScriptAllowed(script)) {
            problem = "object " + std::to_string(index + 1) + "'s script '" + script +
                      "' lies outside the script folder '" + core.getScriptFolder() + "'";
            return false;
        }
        allowed.insert(script);
    }
    return true;
}

// Reads the key blocks the scan left (from the first object of a host type on) and the next
// object id, each block with the load of its object's own class, on objects made for the
// purpose and never listed. So a block that only its class can read is checked, and a type the
// program cannot make is found, while the running state is still whole.
bool StateFile::readOwnLayouts(Core& core, BinaryReader& reader, StateFileContents& contents,
                               std::string& problem) {
    if (contents.trailerScanned) {
        return true;
    }
    size_t index = 0;
    while (contents.objects[index].blockScanned) {
        ++index;
    }
    for (; index < contents.objects.size(); ++index) {
        const StoredObject& stored = contents.objects[index];
        std::unique_ptr<Object> probe = core.makeObject(stored.type, stored.script, stored.id);
        if (probe == nullptr) {
            problem = "it holds objects of type " + std::to_string(stored.type) +
                      ", which this program cannot make";
            return false;
        }
        probe->load(reader);
        if (!reader.good()) {
            problem = "truncated in object " + std::to_string(index + 1) + "'s key block";
            return false;
        }
    }
    contents.nextObjectId = reader.readInt();
    if (!reader.good()) {
        problem = "truncated in the next object id";
        return false;
    }
    contents.trailerScanned = true;
    return true;
}

// Stack effect: none. The main state's globals table is the state table, so each lands there.
void StateFile::setGlobals(lua_State* L, const std::vector<StoredGlobal>& globals) {
    for (const StoredGlobal& global : globals) {
        switch (global.luaType) {
            case kLuaBoolean:
                lua_pushboolean(L, global.value.boolean);
                break;
            case kLuaNumber:
                lua_pushnumber(L, global.value.number);
                break;
            case kLuaString:
                lua_pushlstring(L, global.value.string.data(), global.value.string.size());
                break;
            default:
                lua_pushnil(L);
                break;
        }
        lua_pushlstring(L, global.name.data(), global.name.size());
        lua_insert(L, -2);
        lua_settable(L, LUA_GLOBALSINDEX);
    }
}

bool StateFile::load(Core& core, const std::string& path) {
    if (core.isScriptRunning()) {  // the reset would close the Lua state under the script
        Log::info("loadState: refused while a script runs; ask with requestLoadState.");
        return false;
    }
    try {
        return loadWhole(core, path);
    } catch (const std::exception& error) {  // out of memory, or thrown by a host type's code
        return refuse(path, std::string("loading it raised an exception (") + error.what() + ")");
    }
}

bool StateFile::loadWhole(Core& core, const std::string& path) {
    BinaryReader reader(&core);
    std::string problem;
    if (!reader.open(path, problem)) {
        return refuse(path, problem);
    }
    StateFileContents contents;
    StateFileScanOptions options;
    options.keepKeys = false;
    std::string unsupported;
    problem = scanStateFile(reader, options, contents, unsupported);
    if (!unsupported.empty()) {
        Log::error(Log::Text{unsupportedMessage(unsupported)});
    }
    if (!problem.empty() || !scriptsAllowed(core, contents, problem) ||
        !readOwnLayouts(core, reader, contents, problem)) {
        return refuse(path, problem);
    }
    const size_t stateEnd = reader.position();

    if (!core.resetScripting()) {
        return refuse(path, "the scripting state could not be reset");
    }
    setGlobals(core.luaState, contents.globals);
    core.parts->objects.reserve(contents.objects.size());
    for (const StoredObject& stored : contents.objects) {
        std::unique_ptr<Object> object = core.makeObject(stored.type, stored.script, stored.id);
        if (object == nullptr) {
            return refuse(path,
                          "the factory made no object of type " + std::to_string(stored.type));
        }
        core.parts->objects.append(object.get());
        object.release();
    }
    reader.seek(contents.keyBlocksOffset);
    for (Object* object : core.getObjects()) {
        object->load(reader);
    }
    reader.readInt();  // the next object id, read before
    if (!reader.good() || reader.position() != stateEnd) {
        return refuse(path,
                      "a host type read its key block differently the second time; the "
                      "scripting state was reset");
    }
    core.nextObjectId = contents.nextObjectId;
    raiseNextObjectId(core, path);
    if (reader.remaining() != 0) {
        // The state ends with the next object id; what follows is not read, so a file that
        // something was appended to still loads.
        Log::info(Log::Text{"The state file '" + path + "' ends with " +
                            std::to_string(reader.remaining()) +
                            " bytes after its state, which were ignored."});
    }
    return true;
}

// A file may give a next id that a loaded object already has (or 0, which names no object);
// new objects would then repeat live ids. Ids go on above the largest loaded one instead,
// wrapping at the end of the int range as the counter does.
void StateFile::raiseNextObjectId(Core& core, const std::string& path) {
    const int given = core.nextObjectId;
    int64_t next = given;
    for (const Object* object : core.getObjects()) {
        next = std::max<int64_t>(next, int64_t{object->getId()} + 1);
    }
    if (next == 0) {
        next = 1;
    }
    core.nextObjectId = static_cast<int>(static_cast<uint32_t>(next));
    if (core.nextObjectId != given) {
        Log::info(Log::Text{
            "The state file '" + path + "' gives " + std::to_string(given) +
            " as the next object id, " +
            (given == 0 ? "which names no object" : "at or below a loaded object's id") +
            "; new objects are numbered from " + std::to_string(core.nextObjectId) + "."});
    }
}
