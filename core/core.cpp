// The Core's life, its Lua state with the three layers of globals, and the object operations.
#include "core/core.h"
#include "core/core_parts.h"

#include <cstdio>
#include <memory>

#include "core/c_stack_guard.h"
#include "core/environment_metatables.h"
#include "core/object.h"
#include "core/script_functions.h"
#include "core/script_guard.h"
#include "log/log.h"

Core::Core(ObjectFactory objectFactory, FrameCallback frameCallback)
    : objectFactory(std::move(objectFactory)),
      frameCallback(std::move(frameCallback)),
      parts(std::make_unique<Parts>(*this)) {}

Core::~Core() {
    closeLuaState();
    discardObjects();
}

// Every script thread ends with the state; the records of them go too.
void Core::closeLuaState() {
    if (luaState != nullptr) {
        lua_close(luaState);
        luaState = nullptr;
        parts->anchors.detach();
        parts->memory.rewind();
    }
    parts->threads.attach(nullptr);
    parts->threads.clear();
}

Core* Core::fromLua(lua_State* L) {
    void* parts = nullptr;
    return lua_getallocf(L, &parts) == allocateLua ? &static_cast<Parts*>(parts)->core : nullptr;
}

void* Core::allocateLua(void* parts, void* block, size_t oldSize, size_t newSize) {
    return LuaMemory::reallocate(&static_cast<Parts*>(parts)->memory, block, oldSize, newSize);
}

namespace {

// An error raised outside every protected call: Lua aborts the program once this returns.
int reportUnprotectedError(lua_State* L) {
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", lua_tostring(L, -1));
    return 0;
}

// Where buildLuaState leaves the anchor thread for anchorLuaState.
const char kNewAnchorsKey = 0;

// Replaces the error value at `index` by its text: a message as it is, anything else as what
// kind of value was raised instead of one.
void errorToText(lua_State* L, int index) {
    if (!lua_isstring(L, index)) {
        lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, index));
        lua_replace(L, index);
    }
}

// A message handler, with debug.traceback as upvalue 1: the error as text and the traceback
// from where it was raised.
int describeError(lua_State* L) {
    errorToText(L, 1);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, 1);
    lua_pushinteger(L, 2);  // from the function that raised it, past this handler
    lua_call(L, 2, 1);
    return 1;
}

// With debug.traceback as upvalue 1 and a failed thread as argument 1: the error on top of the
// thread as text and the thread's traceback. Run protected, so a collection it causes can
// raise nowhere else.
int describeFailure(lua_State* L) {
    lua_State* thread = lua_tothread(L, 1);
    lua_checkstack(thread, 1);
    lua_pushvalue(thread, -1);
    lua_xmove(thread, L, 1);  // thread, error
    errorToText(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);  // traceback, thread, message
    lua_call(L, 2, 1);
    return 1;
}

}  // namespace

bool Core::resetScripting() {
    if (isScriptRunning()) {
        Log::info("resetScripting: refused while a script runs; ask with requestResetScripting.");
        return false;
    }
    closeLuaState();
    discardObjects();
    parts->compiledScripts.forget();
    nextObjectId = 1;

    luaState = lua_newstate(allocateLua, parts.get());
    if (luaState != nullptr) {
        lua_atpanic(luaState, reportUnprotectedError);
    }
    if (luaState == nullptr || lua_cpcall(luaState, buildLuaState, this) != 0) {
        if (luaState != nullptr) {
            lua_close(luaState);
            luaState = nullptr;
            parts->memory.rewind();
        }
        Log::error("Failed to create the Lua state: out of memory.");
    }
    anchorLuaState();
    parts->threads.attach(luaState);
    parts->objects.reserve(1000);
    return true;
}

// Moves the anchor thread from the registry, which any script can reach, to the bottom of the
// main state's stack, which none can: the collector marks the whole of that stack. None of
// these calls allocates, so none can raise outside a protected call.
void Core::anchorLuaState() {
    lua_pushlightuserdata(luaState, const_cast<char*>(&kNewAnchorsKey));
    lua_rawget(luaState, LUA_REGISTRYINDEX);
    parts->anchors.attach(lua_tothread(luaState, -1));
    lua_pushlightuserdata(luaState, const_cast<char*>(&kNewAnchorsKey));
    lua_pushnil(luaState);
    lua_rawset(luaState, LUA_REGISTRYINDEX);
}

bool Core::isScriptRunning() const {
    lua_Debug frame;
    return parts->threads.anyRunning() ||
           (luaState != nullptr && lua_getstack(luaState, 0, &frame) != 0);
}

void Core::requestLoadState(std::string path, std::function<void(bool loaded)> done) {
    requests.push_back([this, path = std::move(path), done = std::move(done)] {
        const bool loaded = loadState(path);
        if (done) {
            done(loaded);
        }
    });
}

void Core::requestResetScripting(std::function<void()> done) {
    requests.push_back([this, done = std::move(done)] {
        resetScripting();
        if (done) {
            done();
        }
    });
}

// Each request is taken off the list before it runs, so one that ends in Log::error leaves the
// later ones for the next frame. Requests made meanwhile (by `done`) wait for the next frame.
void Core::performRequests() {
    for (size_t count = requests.size(); count > 0; --count) {
        std::function<void()> request = std::move(requests.front());
        requests.erase(requests.begin());
        request();
    }
}

// Run protected on a fresh state, with the Core as light userdata argument 1. Layer 1 is the
// real globals table: the standard libraries, "core", "state", the six engine functions and the
// registered ones. Layer 2 is the state table, which becomes the main thread's globals: reads
// fall back to the real globals, writes land in it. (Layer 3, each script thread's own
// environment, is made with the thread.) The anchor thread is made here too.
int Core::buildLuaState(lua_State* L) {
    auto* core = static_cast<Core*>(lua_touserdata(L, 1));
    luaL_openlibs(L);
    guardCStack(L);

    lua_State* anchors = lua_newthread(L);  // thread
    lua_pushlightuserdata(L, const_cast<char*>(&kNewAnchorsKey));
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);        // thread
    lua_createtable(L, 0, 0);                // thread, anchor table
    lua_getfield(L, LUA_GLOBALSINDEX, "debug");
    lua_getfield(L, -1, "traceback");        // thread, anchor table, debug, traceback
    lua_remove(L, -2);
    lua_pushvalue(L, -1);
    lua_pushcclosure(L, describeFailure, 1);
    lua_insert(L, -2);
    lua_pushcclosure(L, describeError, 1);   // thread, anchor table, failure, handler
    lua_createtable(L, 0, 0);                // thread, anchor table, failure, handler, compiled
    CompiledScripts::install(L, -1);
    lua_xmove(L, anchors, 4);                // thread
    lua_pop(L, 1);

    lua_pushlightuserdata(L, core);  // for scripts that read it; the engine never does
    lua_setfield(L, LUA_GLOBALSINDEX, "core");
    lua_createtable(L, 0, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, "state");
    EnvironmentMetatables::install(L);     // ..., loading, running
    lua_pushvalue(L, -1);
    lua_insert(L, -3);                      // ..., running, loading, running
    pushScriptThreadFunctions(L);           // ..., running, make, find
    lua_pushvalue(L, -3);
    lua_remove(L, -4);                      // ..., make, find, running
    lua_pushnil(L);                         // no entry function found yet
    lua_xmove(L, anchors, 4);
    installScriptFunctions(L);
    for (const auto& [name, function] : core->functions) {
        pushGuardedFunction(L, function, name.c_str());
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
    if (!isScriptAllowed(script)) {
        Log::info(Log::Text{"createObject: the script '" + script +
                            "' lies outside the script folder '" + getScriptFolder() +
                            "'; no object was made."});
        return nullptr;
    }
    std::unique_ptr<Object> object = makeUnlistedObject(type, script, nextObjectId);
    if (object == nullptr) {
        return nullptr;
    }
    parts->objects.append(object.get());
    // Wraps at the end of the int range instead of overflowing: a loaded file may set any value.
    nextObjectId = static_cast<int>(static_cast<unsigned>(nextObjectId) + 1u);
    return object.release();
}

Object* Core::findObject(int id) const {
    return parts->objects.find(id);
}

bool Core::deleteObject(int id) {
    Object* object = findObject(id);
    if (object == nullptr) {
        return false;
    }
    parts->objects.detach(object);
    dropLocks(object);
    parts->objects.destroy(object);
    return true;
}

std::vector<Object*> Core::getObjects() const {
    return parts->objects.live();
}

void Core::setObjectId(Object* object, int id) {
    parts->objects.setId(object, id);
}

void Core::discardObjects() {
    parts->objects.detachAll([this](Object* object) {
        dropLocks(object);
        parts->objects.destroy(object);
    });
}

lua_State* Core::createThread(Object* object, const std::string& functionName) {
    ScriptThread* record = parts->threads.prepare(object, functionName);
    return record == nullptr ? nullptr : record->thread;
}

void Core::resumeThread(Object*, lua_State* thread, int argCount) {
    parts->threads.resumeIfSuspended(thread, parts->threads.find(thread), argCount + 1);
}

bool Core::startThread(Object* object, const std::string& functionName) {
    // What the entry function's first pause is likely to name.
    parts->objects.setAtHand(object);
    ScriptThread* record = parts->threads.prepare(object, functionName);
    if (record != nullptr) {
        // The object may be gone when this returns.
        parts->threads.resumeIfSuspended(record->thread, record, 1);
    }
    parts->objects.setAtHand(nullptr);
    return record != nullptr;
}

void Core::confineScripts(const std::string& folder) {
    parts->scriptFolder.set(folder);
    parts->compiledScripts.forget();
}

bool Core::isScriptAllowed(const std::string& script) const {
    return parts->scriptFolder.allows(script);
}

const std::string& Core::getScriptFolder() const {
    return parts->scriptFolder.name();
}

void Core::forgetCompiledScripts() {
    parts->compiledScripts.forget();
}

size_t Core::threadCount() const {
    return parts->threads.count();
}

void Core::holdException(std::exception_ptr exception) {
    parts->threads.holdException(std::move(exception));
}
