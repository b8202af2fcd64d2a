// Script threads: Lua coroutines that run one object's script, each with a private environment.
//
// Name resolution for code in a script thread: a global is read from the thread's environment,
// then the state table, then the real globals. While the script file's main chunk runs, every
// global it assigns stays private to the thread; once the entry function is found, assigning a
// global the thread does not hold goes to the state table, shared by every script and saved
// with the state. A thread is kept alive by a reference in the anchor table, which no script can
// reach, from its creation until it ends, fails, or waits for an event of a deleted object.
#include <cstdio>
#include <string>
#include <utility>

#include "core/core.h"
#include "core/environment_metatables.h"
#include "core/lock.h"
#include "log/log.h"
#include "objects/object.h"

namespace {

// Run protected on the main state, with the anchor table and its AnchorSlots as arguments: a
// new thread whose globals are a fresh environment with a metatable reading through to the
// state table (the main thread's globals). Returns the thread and its reference in the anchor
// table.
int makeScriptThread(lua_State* L) {
    auto* slots = static_cast<AnchorSlots*>(lua_touserdata(L, 2));
    lua_newthread(L);          // anchors, slots, thread
    lua_createtable(L, 0, 1);  // anchors, slots, thread, environment: room for the entry function
    EnvironmentMetatables::share(L, -1, false);
    lua_setfenv(L, 3);  // anchors, slots, thread
    lua_pushvalue(L, 3);
    lua_pushinteger(L, slots->add(L, 1));  // anchors, slots, thread, reference
    return 2;
}

// Run protected on the new thread once its file has run, with the entry function's name (a
// std::string) as light userdata argument 1: the global of that name when it is a function, nil
// otherwise. From a function on, the thread's new globals go to the state table.
int findEntryFunction(lua_State* L) {
    const auto* name = static_cast<const std::string*>(lua_touserdata(L, 1));
    lua_pushlstring(L, name->data(), name->size());
    lua_gettable(L, LUA_GLOBALSINDEX);
    if (!lua_isfunction(L, -1)) {
        lua_pushnil(L);
        return 1;
    }
    if (lua_getmetatable(L, LUA_GLOBALSINDEX)) {  // function, meta
        if (EnvironmentMetatables::isShared(L, -1, false)) {
            EnvironmentMetatables::share(L, LUA_GLOBALSINDEX, true);
        } else {                                // a script's own, or the copy it was given
            lua_getfield(L, -1, "__index");     // function, meta, state
            lua_setfield(L, -2, "__newindex");  // function, meta
        }
        lua_pop(L, 1);
    }
    return 1;
}

// The error value on top of `L` as text, made without Lua's help (which would allocate, and so
// could raise).
std::string errorText(lua_State* L) {
    if (lua_type(L, -1) == LUA_TSTRING) {
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        return std::string(text, length);
    }
    if (lua_type(L, -1) == LUA_TNUMBER) {
        char text[64];
        std::snprintf(text, sizeof text, LUA_NUMBER_FMT, lua_tonumber(L, -1));
        return text;
    }
    return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

// Whether lua_resume can go on with `thread` and the `argCount` values pushed on it: it is
// suspended in a yield, or it has not started and holds a function to call.
bool canResume(lua_State* thread, int argCount) {
    if (lua_status(thread) == LUA_YIELD) {
        return true;
    }
    lua_Debug frame;
    return lua_status(thread) == 0 && lua_getstack(thread, 0, &frame) == 0 &&
           lua_gettop(thread) > argCount;
}

// Whether `thread` is over: it neither runs, nor waits to be resumed, nor has started.
bool hasEnded(lua_State* thread) {
    lua_Debug frame;
    return lua_status(thread) != LUA_YIELD &&
           (lua_status(thread) != 0 ||
            (lua_getstack(thread, 0, &frame) == 0 && lua_gettop(thread) == 0));
}

}  // namespace

void pushScriptThreadFunctions(lua_State* L) {
    lua_pushcfunction(L, makeScriptThread);
    lua_pushcfunction(L, findEntryFunction);
}

// The error on top of a failed thread, as text, followed by the thread's traceback, as Lua's
// own debug.traceback writes it. Built on the main state `L`; both stacks are left as they were.
std::string Core::failureText(lua_State* L, lua_State* thread) {
    pushAnchored(L, kDescribeFailure);
    lua_pushthread(thread);
    lua_xmove(thread, L, 1);
    lua_pcall(L, 1, 1, 0);  // text, or the error of a traceback that could not be made
    std::string text = errorText(L);
    lua_pop(L, 1);
    return text;
}

// Lua raises nothing but a want of memory here, except for a finalizer (__gc) that a script
// gave a userdata, which may run whenever Lua allocates: its error is reported as any other.
ScriptThread* Core::newScriptThread() {
    lua_checkstack(luaState, 4);
    pushAnchored(luaState, kErrorHandler);
    pushAnchored(luaState, kMakeScriptThread);
    pushAnchored(luaState, kAnchorTable);
    lua_pushlightuserdata(luaState, &anchorSlots);
    const int status = lua_pcall(luaState, 2, 2, -4);
    if (status != 0) {
        const std::string error =
            status == LUA_ERRMEM ? "Failed to create new lua thread." : errorText(luaState);
        lua_pop(luaState, 2);
        luaMemory.keepTogether(false);
        Log::error(Log::Text{error});
    }
    lua_State* thread = lua_tothread(luaState, -2);
    const int reference = static_cast<int>(lua_tointeger(luaState, -1));
    lua_pop(luaState, 3);
    try {
        return &threads.try_emplace(thread, ScriptThread{thread, reference}).first->second;
    } catch (...) {
        unanchor(reference);
        throw;
    }
}

lua_State* Core::createThread(Object* object, const std::string& functionName) {
    ScriptThread* record = prepareThread(object, functionName);
    return record == nullptr ? nullptr : record->thread;
}

ScriptThread* Core::prepareThread(Object* object, const std::string& functionName) {
    if (object->getScript().empty() || luaState == nullptr) {
        return nullptr;
    }
    // The object is not touched again: its file, or a finalizer that runs while Lua allocates,
    // may delete it.
    const int id = object->getId();
    const std::string script = object->getScript();
    luaMemory.keepTogether(true);  // what a wake reads, to be fetched at once (frame_loop.cpp)
    ScriptThread* record = newScriptThread();
    lua_State* thread = record->thread;

    // The chunk's compile error is a message alone; a run-time error carries a traceback.
    pushAnchored(thread, kCompiledScripts);
    const int loaded = compiledScripts.load(thread, 1, script, scriptFolder);
    lua_remove(thread, 1);
    if (loaded != 0) {
        failThread(thread, errorText(thread));
    }
    pushAnchored(thread, kErrorHandler);  // chunk, handler
    lua_insert(thread, 1);                // handler, chunk
    ++scriptsRunning;
    int status = lua_pcall(thread, 0, 0, 1);
    if (status == 0) {
        pushAnchored(thread, kFindEntryFunction);
        lua_pushlightuserdata(thread, const_cast<std::string*>(&functionName));
        status = lua_pcall(thread, 1, 1, 1);  // a script may have given the state table a
    }                                         // metatable that raises
    --scriptsRunning;
    luaMemory.keepTogether(false);
    if (status != 0) {
        failThread(thread, errorText(thread));
    }
    lua_remove(thread, 1);  // entry function or nil
    if (lua_isnil(thread, -1) || heldException) {
        releaseThread(thread);
        rethrowHeldException();
        return nullptr;
    }
    lua_pushnumber(thread, id);
    return record;
}

void Core::resumeThread(Object*, lua_State* thread, int argCount) {
    auto found = threads.find(thread);
    resumeIfSuspended(thread, found == threads.end() ? nullptr : &found->second, argCount + 1);
}

bool Core::startThread(Object* object, const std::string& functionName) {
    objectAtHand = object;  // what the entry function's first pause is likely to name
    ScriptThread* record = prepareThread(object, functionName);
    if (record != nullptr) {
        resumeIfSuspended(record->thread, record, 1);  // the object may be gone when this returns
    }
    objectAtHand = nullptr;
    return record != nullptr;
}

void Core::resumeIfSuspended(lua_State* thread, ScriptThread* record, int argCount) {
    if (!canResume(thread, argCount)) {
        lua_pop(thread, argCount);
        if (hasEnded(thread)) {
            releaseThread(thread);
        }
        return;
    }
    const bool adopted = record != nullptr && record->adopted;
    const int status = resume(thread, argCount, record);
    if (status == LUA_YIELD && adopted) {
        // A script's own coroutine is kept only while it waits: having yielded some other way,
        // it is left to the script that made it.
        ScriptThread* still = recordOf(thread);
        if (still != nullptr && still->waitObject == nullptr) {
            releaseThread(thread);
        }
    }
    finishResume(thread, status);
}

int Core::resume(lua_State* thread, int argCount, ScriptThread* record) {
    luaMemory.keepTogether(false);  // in case a Lua error jumped out of prepareThread
    if (record != nullptr && record->waitObject != nullptr) {
        stopWaiting(*record);  // resumed before its event came
    }
    if (record == pendingAdoption) {
        pendingAdoption = nullptr;  // running, it is no longer to be let go as an idle adoption
    }
    ScriptThread* const outer = runningScriptThread;  // a host function may resume another
    runningScriptThread = record;
    ++scriptsRunning;
    const int status = lua_resume(thread, argCount);
    --scriptsRunning;
    runningScriptThread = outer;
    return status;
}

void Core::releaseThread(lua_State* thread) {
    auto found = threads.find(thread);
    if (found != threads.end()) {
        if (found->second.waitObject != nullptr) {
            stopWaiting(found->second);
        }
        if (found->second.adopted) {
            --adoptedCount;
        }
        if (&found->second == pendingAdoption) {
            pendingAdoption = nullptr;
        }
        unanchor(found->second.reference);
        threads.erase(found);
    }
}

void Core::stopWaiting(ScriptThread& record) {
    Lock* lock = findLock(record.waitObject, record.waitEvent);
    if (lock != nullptr && lock->owner == &record) {
        lock->owner = nullptr;
        lock->thread = nullptr;
    }
    record.waitObject = nullptr;
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
    luaMemory.keepTogether(false);  // the failure may end prepareThread
    releaseThread(thread);
    rethrowHeldException();  // the host's own exception explains the failure better
    Log::error(Log::Text{message});
}

void Core::rethrowHeldException() {
    if (heldException) {
        std::rethrow_exception(std::exchange(heldException, nullptr));
    }
}
