// The Core's life, its Lua state with the three layers of globals, and the object operations.
#include "core/core.h"

#include <cstdio>
#include <memory>

#include "core/lock.h"
#include "core/registry.h"
#include "core/script_functions.h"
#include "log/log.h"
#include "objects/object.h"

Core::Core(ObjectFactory objectFactory, FrameCallback frameCallback)
    : objectFactory(std::move(objectFactory)), frameCallback(std::move(frameCallback)) {}

Core::~Core() {
    if (luaState != nullptr) {
        lua_close(luaState);
        luaState = nullptr;
    }
    discardObjects();
}

Core* Core::fromLua(lua_State* L) {
    void* core = nullptr;
    return lua_getallocf(L, &core) == allocateLua ? static_cast<Core*>(core) : nullptr;
}

void* Core::allocateLua(void* core, void* block, size_t oldSize, size_t newSize) {
    return LuaMemory::reallocate(&static_cast<Core*>(core)->luaMemory, block, oldSize, newSize);
}

namespace {

// An error raised outside every protected call: Lua aborts the program once this returns.
int reportUnprotectedError(lua_State* L) {
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n",
                 lua_tostring(L, -1));
    return 0;
}

}  // namespace

void Core::resetScripting() {
    if (luaState != nullptr) {
        lua_close(luaState);  // every script thread ends with it
        luaState = nullptr;
    }
    discardObjects();
    threads.clear();
    heldException = nullptr;
    nextObjectId = 1;

    luaState = lua_newstate(allocateLua, this);
    if (luaState != nullptr) {
        lua_atpanic(luaState, reportUnprotectedError);
    }
    if (luaState == nullptr || lua_cpcall(luaState, buildLuaState, this) != 0) {
        if (luaState != nullptr) {
            lua_close(luaState);
            luaState = nullptr;
        }
        Log::error("Failed to create the Lua state: out of memory.");
    }
    objects.reserve(1000);
}

// Run protected on a fresh state, with the Core as light userdata argument 1. Layer 1 is the
// real globals table: the standard libraries, "core", "state", the six engine functions and the
// registered ones. Layer 2 is the state table, which becomes the main thread's globals: reads
// fall back to the real globals, writes land in it. (Layer 3, each script thread's own
// environment, is made with the thread.)
int Core::buildLuaState(lua_State* L) {
    auto* core = static_cast<Core*>(lua_touserdata(L, 1));
    luaL_openlibs(L);

    lua_getfield(L, LUA_GLOBALSINDEX, "debug");
    lua_getfield(L, -1, "traceback");
    registry::set(L, registry::tracebackKey);
    lua_pop(L, 1);

    lua_pushlightuserdata(L, core);  // for scripts that read it; the engine never does
    lua_setfield(L, LUA_GLOBALSINDEX, "core");
    lua_createtable(L, 0, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, "state");
    installScriptFunctions(L);
    for (const auto& [name, function] : core->functions) {
        lua_pushcclosure(L, function, 0);
        lua_setfield(L, LUA_GLOBALSINDEX, name.c_str());
    }

    lua_pushthread(L);                           // thread
    lua_getfield(L, LUA_GLOBALSINDEX, "state");  // thread, state
    lua_createtable(L, 0, 1);                    // thread, state, meta
    lua_getfenv(L, -3);                          // thread, state, meta, globals
    lua_setfield(L, -2, "__index");              // thread, state, meta
    lua_setmetatable(L, -2);                     // thread, state
    lua_setfenv(L, -2);                          // thread
    lua_pop(L, 1);
    return 0;
}

void Core::registerFunction(const std::string& name, lua_CFunction function) {
    functions[name] = function;
}

Object* Core::createObject(int type, const std::string& script) {
    std::unique_ptr<Object> object(type == 0 ? new Object : nullptr);
    if (object == nullptr && objectFactory) {
        object.reset(objectFactory(type));
    }
    if (object == nullptr) {
        return nullptr;
    }
    object->type = type;
    object->script = script;
    object->core = this;
    object->id = nextObjectId;
    appendObject(object.get());
    // Wraps at the end of the int range instead of overflowing: a loaded file may set any value.
    nextObjectId = static_cast<int>(static_cast<unsigned>(nextObjectId) + 1u);
    return object.release();
}

Object* Core::findObject(int id) const {
    return objectsById.find(id);
}

bool Core::deleteObject(int id) {
    Object* object = findObject(id);
    if (object == nullptr) {
        return false;
    }
    detachObject(object);
    destroyObject(object);
    return true;
}
