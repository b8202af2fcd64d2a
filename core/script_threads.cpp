// Script threads: Lua coroutines that run one object's script, each with a private environment.
//
// Name resolution for code in a script thread: a global is read from the thread's environment,
// then the state table, then the real globals. While the script file's main chunk runs, every
// global it assigns stays private to the thread; once the entry function is found, assigning a
// global the thread does not hold goes to the state table, shared by every script and saved
// with the state. A thread is kept alive by a registry reference, listed in `threads`, from its
// creation until it ends or fails.
#include <string>
#include <utility>

#include "core/core.h"
#include "core/registry.h"
#include "log/log.h"
#include "objects/object.h"

namespace {

// Run protected on the main state: a new thread whose globals are a fresh environment with a
// metatable reading through to the state table (the main thread's globals). Returns the thread
// and its registry reference.
int makeScriptThread(lua_State* L) {
    lua_newthread(L);                // thread
    lua_createtable(L, 0, 0);        // thread, environment
    lua_createtable(L, 0, 2);        // thread, environment, meta
    lua_getfenv(L, 1);               // thread, environment, meta, state
    lua_setfield(L, -2, "__index");  // thread, environment, meta
    lua_setmetatable(L, -2);         // thread, environment
    lua_setfenv(L, 1);               // thread
    lua_pushvalue(L, 1);
    lua_pushinteger(L, luaL_ref(L, LUA_REGISTRYINDEX));  // thread, reference
    return 2;
}

// Run protected on the new thread once its file has run, with the entry function's name as
// argument 1: the global of that name when it is a function, nil otherwise. From a function on,
// the thread's new globals go to the state table.
int findEntryFunction(lua_State* L) {
    lua_gettable(L, LUA_GLOBALSINDEX);
    if (!lua_isfunction(L, -1)) {
        lua_pushnil(L);
        return 1;
    }
    if (lua_getmetatable(L, LUA_GLOBALSINDEX)) {  // function, meta
        lua_getfield(L, -1, "__index");           // function, meta, state
        lua_setfield(L, -2, "__newindex");        // function, meta
        lua_pop(L, 1);
    }
    return 1;
}

// The error value on top of `L` as text.
std::string errorText(lua_State* L) {
    const char* text = lua_tostring(L, -1);
    if (text != nullptr) {
        return text;
    }
    return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

// The message on top of a failed thread followed by the thread's traceback, as Lua's own
// debug.traceback writes it. Built on the main state `L`; both stacks are left as they were.
std::string failureText(lua_State* L, lua_State* thread) {
    registry::push(L, registry::tracebackKey);  // traceback
    lua_checkstack(thread, 2);
    lua_pushthread(thread);
    lua_xmove(thread, L, 1);  // traceback, thread
    lua_pushvalue(thread, -1);
    lua_xmove(thread, L, 1);  // traceback, thread, message
    lua_pcall(L, 2, 1, 0);    // text, or the error of a traceback that could not be made
    std::string text = errorText(L);
    lua_pop(L, 1);
    return text;
}

}  // namespace

lua_State* Core::newScriptThread() {
    lua_checkstack(luaState, 3);
    lua_pushcfunction(luaState, makeScriptThread);
    if (lua_pcall(luaState, 0, 2, 0) != 0) {
        lua_pop(luaState, 1);
        Log::error("Failed to create new lua thread.");
    }
    lua_State* thread = lua_tothread(luaState, -2);
    threads.emplace(thread, static_cast<int>(lua_tointeger(luaState, -1)));
    lua_pop(luaState, 2);
    return thread;
}

lua_State* Core::createThread(Object* object, const std::string& functionName) {
    if (object->getScript().empty() || luaState == nullptr) {
        return nullptr;
    }
    const int id = object->getId();  // the file may delete the object: it is not touched again
    lua_State* thread = newScriptThread();

    // The chunk's compile error is a message alone; a run-time error carries a traceback.
    if (luaL_loadfile(thread, object->getScript().c_str()) != 0) {
        failThread(thread, errorText(thread));
    }
    registry::push(thread, registry::tracebackKey);  // chunk, handler
    lua_insert(thread, 1);                           // handler, chunk
    if (lua_pcall(thread, 0, 0, 1) != 0) {
        failThread(thread, errorText(thread));
    }
    lua_pushcfunction(thread, findEntryFunction);
    lua_pushlstring(thread, functionName.data(), functionName.size());
    if (lua_pcall(thread, 1, 1, 1) != 0) {      // a script may have given the state table a
        failThread(thread, errorText(thread));  // metatable that raises
    }
    lua_remove(thread, 1);  // entry function or nil
    if (lua_isnil(thread, -1) || heldException) {
        releaseThread(thread);
        rethrowHeldException();
        return nullptr;
    }
    lua_pushnumber(thread, id);
    return thread;
}

void Core::resumeThread(Object*, lua_State* thread, int argCount) {
    finishResume(thread, resume(thread, argCount + 1, true));
}

int Core::resume(lua_State* thread, int argCount, bool scriptThread) {
    lua_State* const outer = runningScriptThread;  // a host function may resume another thread
    runningScriptThread = scriptThread ? thread : nullptr;
    const int status = lua_resume(thread, argCount);
    runningScriptThread = outer;
    return status;
}

bool Core::startThread(Object* object, const std::string& functionName) {
    lua_State* thread = createThread(object, functionName);
    if (thread == nullptr) {
        return false;
    }
    resumeThread(object, thread, 0);  // the object may be gone when this returns
    return true;
}

void Core::releaseThread(lua_State* thread) {
    auto found = threads.find(thread);
    if (found != threads.end()) {
        luaL_unref(luaState, LUA_REGISTRYINDEX, found->second);
        threads.erase(found);
    }
}

// Called after every resume the Core makes. A thread that yielded stays; one that ended is
// released; one that failed is released before its report.
void Core::finishResume(lua_State* thread, int status) {
    if (status == LUA_YIELD) {
        rethrowHeldException();
    } else if (status == 0) {
        releaseThread(thread);
        rethrowHeldException();
    } else {
        failThread(thread, failureText(luaState, thread));
    }
}

void Core::failThread(lua_State* thread, const std::string& message) {
    releaseThread(thread);
    rethrowHeldException();  // the host's own exception explains the failure better
    Log::error(message);
}

void Core::rethrowHeldException() {
    if (heldException) {
        std::rethrow_exception(std::exchange(heldException, nullptr));
    }
}
