// ScriptThreads (script_threads.h): making, running, finishing and failing script threads.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "core/script_threads.h"

#include "core/compiled_scripts.h"
#include "core/environment_metatables.h"
#include "core/lock.h"
#include "core/lua_anchors.h"
#include "core/lua_memory.h"
#include "core/object.h"
#include "core/object_list.h"
#include "log/log.h"

namespace {

// Run protected on the main state, with the anchor table, the LuaAnchors, CompiledScripts'
// table and the script's CompiledScripts::Load as arguments: a new thread whose globals are a
// fresh environment with a metatable reading through to the state table (the main thread's
// globals). Returns the thread, its reference in the anchor table and, when the Load is
// fromKeptChunk, the thread's main chunk (nil otherwise): made here, it needs no protected
// call of its own.
int makeScriptThread(lua_State* L) {
    auto* anchors = static_cast<LuaAnchors*>(lua_touserdata(L, 2));
    const auto* load = static_cast<const CompiledScripts::Load*>(lua_touserdata(L, 4));
    lua_settop(L, 3);
    lua_newthread(L);          // table, anchors, scripts, thread
    lua_createtable(L, 0, 1);  // ..., thread, environment: room for the entry function
    EnvironmentMetatables::share(L, -1, false);
    lua_pushvalue(L, -1);
    lua_setfenv(L, 4);  // table, anchors, scripts, thread, environment
    if (load->fromKeptChunk()) {
        CompiledScripts::pushKept(L, 3, *load, 5);
    } else {
        lua_pushnil(L);
    }
    lua_replace(L, 5);  // table, anchors, scripts, thread, chunk
    lua_pushvalue(L, 4);
    lua_pushinteger(L, anchors->addAt(L, 1));  // ..., thread, chunk, reference
    lua_insert(L, -2);
    return 3;  // thread, reference, chunk
}

// Run protected on the new thread once its file has run, with the entry function's name (a
// std::string) and the LuaAnchors as light userdata arguments 1 and 2: the global of that name
// when it is a function, nil otherwise. From a function on, the thread's new globals go to the
// state table. The name is kept for pushEntryAtOnce.
int findEntryFunction(lua_State* L) {
    const auto* name = static_cast<const std::string*>(lua_touserdata(L, 1));
    const auto* anchors = static_cast<const LuaAnchors*>(lua_touserdata(L, 2));
    lua_pushlstring(L, name->data(), name->size());
    lua_pushvalue(L, -1);
    anchors->replace(L, LuaAnchors::kLastEntryName);
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
    lua_pushvalue(L, -2);
    lua_pushvalue(L, -2);
    lua_pushcclosure(L, makeScriptThread, 2);  // loading, running, make
    lua_insert(L, -3);
    lua_pushcclosure(L, findEntryFunction, 2);  // make, find
}

// The error on top of a failed thread, as text, followed by the thread's traceback, as Lua's
// own debug.traceback writes it. Built on the main state; both stacks are left as they were.
std::string ScriptThreads::failureText(lua_State* thread) {
    lua_State* L = mainState;
    anchors.push(L, LuaAnchors::kDescribeFailure);
    lua_pushthread(thread);
    lua_xmove(thread, L, 1);
    lua_pcall(L, 1, 1, 0);  // text, or the error of a traceback that could not be made
    std::string text = errorText(L);
    lua_pop(L, 1);
    return text;
}

void ScriptThreads::clear() {
    threads.clear();
    running = nullptr;
    adoptedCount = 0;
    pendingAdoption = nullptr;
    heldException = nullptr;
}

// Lua raises nothing but a want of memory here, except for a finalizer (__gc) that a script
// gave a userdata, which may run whenever Lua allocates: its error is reported as any other.
ScriptThread* ScriptThreads::newThread(const CompiledScripts::Load& load) {
    lua_State* L = mainState;
    lua_checkstack(L, 6);
    anchors.push(L, LuaAnchors::kErrorHandler);
    anchors.push(L, LuaAnchors::kMakeScriptThread);
    anchors.push(L, LuaAnchors::kAnchorTable);
    lua_pushlightuserdata(L, &anchors);
    anchors.push(L, LuaAnchors::kCompiledScripts);
    lua_pushlightuserdata(L, const_cast<CompiledScripts::Load*>(&load));
    const int status = lua_pcall(L, 4, 3, -6);
    if (status != 0) {
        const std::string error =
            status == LUA_ERRMEM ? "Failed to create new lua thread." : errorText(L);
        lua_pop(L, 2);
        Log::error(Log::Text{error});
    }
    lua_State* thread = lua_tothread(L, -3);
    const int reference = static_cast<int>(lua_tointeger(L, -2));
    lua_xmove(L, thread, 1);  // the main chunk, or nil
    lua_pop(L, 3);
    try {
        return &threads.try_emplace(thread, ScriptThread{thread, reference}).first->second;
    } catch (...) {
        anchors.remove(reference);
        throw;
    }
}

// What findEntryFunction finds, in the common case where no metamethod can take part and so
// nothing can raise: the thread's file defined the function itself, under the name the last
// entry function had, and its environment still has the shared metatable. Pushes the function
// and returns true then; pushes nothing and returns false otherwise. Allocates nothing.
bool ScriptThreads::pushEntryAtOnce(lua_State* thread, const std::string& functionName) {
    anchors.push(thread, LuaAnchors::kLastEntryName);
    size_t length = 0;
    const char* name = lua_type(thread, -1) == LUA_TSTRING ? lua_tolstring(thread, -1, &length)
                                                           : nullptr;
    if (name == nullptr || length != functionName.size() ||
        std::memcmp(name, functionName.data(), length) != 0) {
        lua_pop(thread, 1);
        return false;
    }
    lua_rawget(thread, LUA_GLOBALSINDEX);  // the environment's own field: no metamethod
    if (!lua_isfunction(thread, -1)) {
        lua_pop(thread, 1);
        return false;
    }
    if (!lua_getmetatable(thread, LUA_GLOBALSINDEX)) {
        return true;
    }
    const bool shared = EnvironmentMetatables::isShared(thread, -1, false);
    lua_pop(thread, 1);
    if (!shared) {
        lua_pop(thread, 1);
        return false;
    }
    anchors.push(thread, LuaAnchors::kRunningEnvironment);
    lua_setmetatable(thread, LUA_GLOBALSINDEX);
    return true;
}

ScriptThread* ScriptThreads::prepare(Object* object, const std::string& functionName) {
    if (object->getScript().empty() || mainState == nullptr) {
        return nullptr;
    }
    // The object is not touched again: its file, or a finalizer that runs while Lua allocates,
    // may delete it.
    const int id = object->getId();
    const std::string script = object->getScript();
    ScriptThread* record = nullptr;
    int loaded = 0;
    int status = 0;
    CompiledScripts::Load load = compiledScripts.plan(script, scriptFolder);
    {
        // What a wake reads, to be fetched at once (ObjectList::walk).
        LuaMemory::Together together(memory);
        record = newThread(load);
        lua_State* thread = record->thread;
        // The chunk's compile error is a message alone; a run-time error carries a traceback.
        if (!load.fromKeptChunk()) {
            lua_pop(thread, 1);
            anchors.push(thread, LuaAnchors::kCompiledScripts);
            loaded = compiledScripts.load(thread, 1, load);
            lua_remove(thread, 1);
        }
        if (loaded == 0) {
            anchors.push(thread, LuaAnchors::kErrorHandler);  // chunk, handler
            lua_insert(thread, 1);                            // handler, chunk
            ++scriptsRunning;
            status = lua_pcall(thread, 0, 0, 1);
            if (status == 0 && !pushEntryAtOnce(thread, functionName)) {
                anchors.push(thread, LuaAnchors::kFindEntryFunction);
                lua_pushlightuserdata(thread, const_cast<std::string*>(&functionName));
                lua_pushlightuserdata(thread, &anchors);
                status = lua_pcall(thread, 2, 1, 1);  // a script may have given the state
            }                                         // table a metatable that raises
            --scriptsRunning;
        }
    }
    lua_State* thread = record->thread;
    if (loaded != 0 || status != 0) {
        fail(thread, errorText(thread));
    }
    lua_remove(thread, 1);  // entry function or nil
    if (lua_isnil(thread, -1) || heldException) {
        release(thread);
        rethrowHeldException();
        return nullptr;
    }
    lua_pushnumber(thread, id);
    return record;
}

void ScriptThreads::resumeIfSuspended(lua_State* thread, ScriptThread* record, int argCount) {
    if (!canResume(thread, argCount)) {
        lua_pop(thread, argCount);
        if (hasEnded(thread)) {
            release(thread);
        }
        return;
    }
    const bool adopted = record != nullptr && record->adopted;
    const int status = resume(thread, argCount, record);
    if (status == LUA_YIELD && adopted) {
        // A script's own coroutine is kept only while it waits: having yielded some other way,
        // it is left to the script that made it.
        ScriptThread* still = find(thread);
        if (still != nullptr && still->waitObject == nullptr) {
            release(thread);
        }
    }
    finishResume(thread, status);
}

int ScriptThreads::resume(lua_State* thread, int argCount, ScriptThread* record) {
    if (record != nullptr && record->waitObject != nullptr) {
        stopWaiting(*record);  // resumed before its event came
    }
    if (record == pendingAdoption) {
        pendingAdoption = nullptr;  // running, it is no longer to be let go as an idle adoption
    }
    ScriptThread* const outer = running;  // a host function may resume another
    running = record;
    ++scriptsRunning;
    const int status = lua_resume(thread, argCount);
    --scriptsRunning;
    running = outer;
    return status;
}

ScriptThread* ScriptThreads::find(lua_State* thread) {
    if (running != nullptr && running->thread == thread) {
        return running;
    }
    auto found = threads.find(thread);
    return found == threads.end() ? nullptr : &found->second;
}

ScriptThread* ScriptThreads::recordForWait(lua_State* thread) {
    ScriptThread* record = find(thread);
    return record != nullptr ? record : adopt(thread);
}

ScriptThread* ScriptThreads::adopt(lua_State* thread) {
    if (pendingAdoption != nullptr) {
        release(pendingAdoption->thread);
    }
    lua_pushthread(thread);
    const int reference = anchors.add(thread);
    try {
        auto [entry, added] = threads.try_emplace(thread, ScriptThread{thread, reference});
        if (added) {
            entry->second.adopted = true;
            ++adoptedCount;
            pendingAdoption = &entry->second;
            return &entry->second;
        }
        anchors.remove(reference);  // a finalizer that ran in add() made it wait: kept twice else
        return &entry->second;
    } catch (const std::bad_alloc&) {
    }
    anchors.remove(reference);
    luaL_error(thread, "wait: not enough memory");
    return nullptr;
}

void ScriptThreads::noteWaiting(ScriptThread& record, Object* object, int eventId) {
    if (&record == pendingAdoption) {
        pendingAdoption = nullptr;
    }
    record.waitObject = object;
    record.waitEvent = eventId;
}

void ScriptThreads::stopWaiting(ScriptThread& record) {
    Lock* lock = ObjectList::eventsOf(*record.waitObject).find(record.waitEvent);
    if (lock != nullptr && lock->waiter() == &record) {
        lock->clearWaiter();
    }
    record.waitObject = nullptr;
}

void ScriptThreads::release(lua_State* thread) {
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
        anchors.remove(found->second.reference);
        threads.erase(found);
    }
}

// Called after every resume. A thread that yielded stays; one that ended is released; one that
// failed is released before its report.
void ScriptThreads::finishResume(lua_State* thread, int status) {
    if (status == LUA_YIELD) {
        rethrowHeldException();
    } else if (status == 0) {
        release(thread);
        rethrowHeldException();
    } else {
        fail(thread, failureText(thread));
    }
}

void ScriptThreads::fail(lua_State* thread, const std::string& message) {
    release(thread);
    rethrowHeldException();  // the host's own exception explains the failure better
    Log::error(Log::Text{message});
}

void ScriptThreads::holdException(std::exception_ptr exception) {
    heldException = std::move(exception);
}

void ScriptThreads::rethrowHeldException() {
    if (heldException) {
        std::rethrow_exception(std::exchange(heldException, nullptr));
    }
}
