// The native functions scripts reach the engine through, and their one registration table.
//
// Objects are named in Lua by id, a number truncated toward zero; events by event tables
// {oid = object id, eid = event number}. Misuse raises a Lua error that says what was wrong
// ("pause: no object with id 7"); the script's resume then reports it with file, line and
// traceback. An expected outcome is a result instead: newObject answers 0 for a type that gives
// no object, deleteObject false for an id that names none, wait returns at once on an event
// that is not pending.
//
// C++ that may throw runs inside guardScriptCall, so no exception ever crosses a Lua frame, and
// Lua raises only where no C++ object waits to be destroyed.
#include "core/script_functions.h"

#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <string>

#include "core/core.h"
#include "core/lua_numbers.h"
#include "core/object.h"
#include "core/script_guard.h"

namespace {

int pause(lua_State* L);
int wait(lua_State* L);
int newObject(lua_State* L);
int deleteObject(lua_State* L);
int getKey(lua_State* L);
int setKey(lua_State* L);

const luaL_Reg kScriptFunctions[] = {
    {"pause", pause},         {"wait", wait},     {"newObject", newObject},
    {"deleteObject", deleteObject}, {"getKey", getKey}, {"setKey", setKey},
};

// Every function carries the field names of an event table as upvalues, made once per reset
// rather than interned on every pause and wait.
constexpr int kOidName = lua_upvalueindex(1);
constexpr int kEidName = lua_upvalueindex(2);

Core& coreOf(lua_State* L) {
    return *Core::fromLua(L);
}

int idAt(lua_State* L, int index) {
    return truncateToInt(lua_tonumber(L, index));  // not a number: 0, which names no object
}

// A number as float seconds; beyond the float range it becomes an infinity rather than
// undefined behaviour.
float secondsAt(lua_State* L, int index) {
    const double seconds = lua_tonumber(L, index);
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (seconds > kLargest || seconds < -kLargest) {
        return seconds > 0 ? std::numeric_limits<float>::infinity()
                           : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(seconds);
}

// The live object that argument `index` names; raises when there is none.
Object* objectAt(lua_State* L, const Core& core, int index, const char* function) {
    const int id = idAt(L, index);
    Object* object = core.findObject(id);
    if (object == nullptr) {
        luaL_error(L, "%s: no object with id %d", function, id);
    }
    return object;
}

// Argument `index` as a string (a number in its string form); raises for anything else.
const char* stringAt(lua_State* L, int index, const char* function, size_t& length) {
    if (!lua_isstring(L, index)) {
        luaL_error(L, "bad argument #%d to '%s' (string expected, got %s)", index, function,
                   luaL_typename(L, index));
    }
    return lua_tolstring(L, index, &length);
}

// The object that argument 1 names and the key name that argument 2 gives, for getKey and
// setKey; raises for either missing. A number's string form is made in Lua's memory, which may
// run a finalizer (__gc) that deletes the object: the object is looked up again after it.
Object* objectAndKeyName(lua_State* L, const char* function, const char*& name, size_t& length) {
    const Core& core = coreOf(L);
    Object* object = objectAt(L, core, 1, function);
    if (lua_type(L, 2) == LUA_TSTRING) {
        name = lua_tolstring(L, 2, &length);
        return object;
    }
    name = stringAt(L, 2, function, length);
    return objectAt(L, core, 1, function);
}

void pushEvent(lua_State* L, int objectId, int eventId) {
    lua_createtable(L, 0, 2);
    lua_pushvalue(L, kOidName);
    lua_pushnumber(L, objectId);
    lua_rawset(L, -3);
    lua_pushvalue(L, kEidName);
    lua_pushnumber(L, eventId);
    lua_rawset(L, -3);
}

// Pushes field `name` (an upvalue index) of the table at `index`, as lua_getfield would.
void pushField(lua_State* L, int index, int name) {
    lua_pushvalue(L, name);
    lua_gettable(L, index);
}

// pause(id, seconds) -> event table. Restarts the object's pause timer; never suspends.
int pause(lua_State* L) {
    Object* object = objectAt(L, coreOf(L), 1, "pause");
    const int id = object->getId();
    const float seconds = secondsAt(L, 2);
    guardScriptCall(L, "pause", [&] { object->pause(seconds); });
    pushEvent(L, id, 0);  // may run a finalizer that deletes the object
    return 1;
}

// wait(..., event) -> nothing. Suspends the calling thread until the event (the last argument)
// is signalled; returns at once when it is not pending or another thread waits on it.
// The event is read as Lua indexes any value: a string's fields are nil, and nil or a number
// raises Lua's own error. Both fields are read before anything is looked up, since reading one
// may run a script (an __index metamethod) that deletes the object.
int wait(lua_State* L) {
    if (lua_gettop(L) == 0) {
        lua_pushnil(L);  // the last argument of a call with none
    }
    const int event = lua_gettop(L);
    if (!lua_istable(L, event) && !luaL_getmetafield(L, event, "__index")) {
        luaL_error(L, "attempt to index a %s value", luaL_typename(L, event));  // with the line
    }
    lua_settop(L, event);  // the __index field, if one was pushed
    pushField(L, event, kOidName);
    pushField(L, event, kEidName);
    const int objectId = idAt(L, -2);
    const int eventId = truncateToInt(lua_tonumber(L, -1));
    lua_pop(L, 2);

    return coreOf(L).waitFor(L, objectId, eventId);
}

// newObject(type, script) -> id, or 0 when the type gives no object. A script that is not a
// string makes an object without one; one outside the host's script folder raises.
int newObject(lua_State* L) {
    size_t length = 0;
    const char* script = lua_isstring(L, 2) ? lua_tolstring(L, 2, &length) : "";
    const int type = truncateToInt(lua_tonumber(L, 1));
    Core& core = coreOf(L);
    Object* object = nullptr;
    bool allowed = true;
    guardScriptCall(L, "newObject", [&] {
        const std::string path(script, length);
        allowed = core.isScriptAllowed(path);
        object = allowed ? core.createObject(type, path) : nullptr;
    });
    if (!allowed) {
        luaL_error(L, "newObject: the script '%s' lies outside the script folder '%s'", script,
                   core.getScriptFolder().c_str());
    }
    lua_pushnumber(L, object == nullptr ? 0 : object->getId());
    return 1;
}

// deleteObject(id) -> whether a live object had the id.
int deleteObject(lua_State* L) {
    const int id = idAt(L, 1);
    Core& core = coreOf(L);
    bool deleted = false;
    guardScriptCall(L, "deleteObject", [&] { deleted = core.deleteObject(id); });
    lua_pushboolean(L, deleted);
    return 1;
}

// getKey(id, name) -> the key's number, string or boolean; nothing when there is no such key.
// A string is copied into Lua's memory, and making room there may run a finalizer that deletes
// the object or replaces the key: so room is made first, and the key looked up again after it.
int getKey(lua_State* L) {
    size_t length = 0;
    const char* name = nullptr;
    Object* object = objectAndKeyName(L, "getKey", name, length);
    const int top = lua_gettop(L);
    for (;;) {
        const KeyType* key = nullptr;
        guardScriptCall(L, "getKey", [&] { key = object->getKey(std::string(name, length)); });
        if (key == nullptr) {
            return 0;
        }
        switch (key->type) {
            case KeyType::NUMBER:
                lua_pushnumber(L, static_cast<const KeyTypeNumber*>(key)->value);
                return 1;
            case KeyType::BOOL:
                lua_pushboolean(L, static_cast<const KeyTypeBool*>(key)->value);
                return 1;
            case KeyType::STRING:
                break;
            default:
                return 0;
        }
        const std::string& value = static_cast<const KeyTypeString*>(key)->value;
        if (lua_gettop(L) > top && lua_objlen(L, -1) == value.size()) {
            void* room = lua_touserdata(L, -1);
            std::memcpy(room, value.data(), value.size());
            lua_pushlstring(L, static_cast<const char*>(room), value.size());
            return 1;
        }
        lua_settop(L, top);
        lua_newuserdata(L, value.size());
        object = objectAt(L, coreOf(L), 1, "getKey");
    }
}

// setKey(id, name, value): a boolean, number or string replaces the key of that name, whatever
// it held; any other value changes nothing.
int setKey(lua_State* L) {
    const int kind = lua_type(L, 3);
    if (kind != LUA_TBOOLEAN && kind != LUA_TNUMBER && kind != LUA_TSTRING) {
        return 0;
    }
    size_t length = 0;
    const char* name = nullptr;
    Object* object = objectAndKeyName(L, "setKey", name, length);
    guardScriptCall(L, "setKey", [&] {
        const std::string key(name, length);
        if (kind == LUA_TBOOLEAN) {
            object->setBool(key, lua_toboolean(L, 3) != 0);
        } else if (kind == LUA_TNUMBER) {
            object->setNumber(key, lua_tonumber(L, 3));
        } else {
            size_t valueLength = 0;
            const char* value = lua_tolstring(L, 3, &valueLength);  // a string: nothing is made
            object->setString(key, std::string(value, valueLength));
        }
    });
    return 0;
}

}  // namespace

void installScriptFunctions(lua_State* L) {
    for (const luaL_Reg& function : kScriptFunctions) {
        lua_pushliteral(L, "oid");
        lua_pushliteral(L, "eid");
        lua_pushcclosure(L, function.func, 2);
        lua_setfield(L, LUA_GLOBALSINDEX, function.name);
    }
}
