// The script threads: Lua coroutines that run one object's script, each with a private
// environment, and the coroutines of scripts' own adopted while they wait for an event. This
// class anchors them, runs them, finishes and fails them, and holds a host's exception raised
// inside a script until the script's resume has returned.
//
// Name resolution for code in a script thread: a global is read from the thread's environment,
// then the state table, then the real globals. While the script file's main chunk runs, every
// global it assigns stays private to the thread; once the entry function is found, assigning a
// global the thread does not hold goes to the state table, shared by every script and saved
// with the state. A thread is kept alive by a reference in the anchor table, which no script can
// reach, from its creation until it ends, fails, or waits for an event of a deleted object.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <exception>
#include <string>
#include <unordered_map>

#include "compiled_scripts.h"
#include "script_thread.h"

class Lock;
class LuaAnchors;
class LuaMemory;
class Object;
class ScriptFolder;

// Pushes the functions kept in the anchor slots kMakeScriptThread and kFindEntryFunction, in
// that order, each with the two environment metatables (loading, running) on top of `L` as its
// upvalues; the metatables are popped.
void pushScriptThreadFunctions(lua_State* L);

class ScriptThreads {
public:
    ScriptThreads(LuaAnchors& anchors, LuaMemory& memory, CompiledScripts& compiledScripts,
                  const ScriptFolder& scriptFolder)
        : anchors(anchors), memory(memory), compiledScripts(compiledScripts),
          scriptFolder(scriptFolder) {}
    ScriptThreads(const ScriptThreads&) = delete;
    ScriptThreads& operator=(const ScriptThreads&) = delete;

    // Starts keeping the threads of the fresh main state `L` (null: none).
    void attach(lua_State* L) { mainState = L; }
    // Forgets every record, the held exception with them: for when the state is closed.
    void clear();

    // A new script thread for `object`: a private global environment, the object's script file
    // run in it, then the global `functionName` with the object's id pushed, ready to resume.
    // Null, silently, when the object has no script or the name is not a function. A script
    // that does not load or fails while its file runs ends in Log::error.
    ScriptThread* prepare(Object* object, const std::string& functionName);
    // Resumes `thread` (`record` is its record, if it has one) with the `argCount` values
    // pushed, when it can be resumed, then finishes the resume: one that ends is released; one
    // that fails is released, then its message and traceback go to Log::error. A thread that
    // cannot be resumed is not: the values are popped, and one that ended is released.
    void resumeIfSuspended(lua_State* thread, ScriptThread* record, int argCount);
    // The record of `thread`, if it is one of these threads.
    ScriptThread* find(lua_State* thread);
    // The record of `thread`, about to wait: a coroutine of a script's own is adopted, which
    // keeps it alive while it waits. Raises when memory runs out.
    ScriptThread* recordForWait(lua_State* thread);
    // `record`'s thread has yielded to wait for (object, eventId).
    void noteWaiting(ScriptThread& record, Object* object, int eventId);
    // The thread no longer waits for its event: the Lock that named it forgets it.
    void stopWaiting(ScriptThread& record);
    // Lets go of `thread`'s record and its anchor; nothing when it has none.
    void release(lua_State* thread);

    // Keeps a host's exception raised inside a script function, to be rethrown once the
    // script's resume has returned; a later one replaces it.
    void holdException(std::exception_ptr exception);
    // Whether Lua code runs under a resume or a script file's main chunk.
    bool anyRunning() const { return scriptsRunning > 0; }
    // The threads prepare made and that have not yet been released.
    size_t count() const { return threads.size() - adoptedCount; }

private:
    // A thread with its own environment, anchored and recorded, with its main chunk on its
    // stack when `load` is fromKeptChunk, nil otherwise.
    ScriptThread* newThread(const CompiledScripts::Load& load);
    ScriptThread* adopt(lua_State* thread);
    bool pushEntryAtOnce(lua_State* thread, const std::string& functionName);
    // lua_resume, noting which script thread, if any, runs.
    int resume(lua_State* thread, int argCount, ScriptThread* record);
    void finishResume(lua_State* thread, int status);
    std::string failureText(lua_State* thread);
    [[noreturn]] void fail(lua_State* thread, const std::string& message);
    void rethrowHeldException();

    LuaAnchors& anchors;
    LuaMemory& memory;
    CompiledScripts& compiledScripts;
    const ScriptFolder& scriptFolder;
    lua_State* mainState = nullptr;
    // Nodes stay put, since Locks point at them.
    std::unordered_map<lua_State*, ScriptThread> threads;
    ScriptThread* running = nullptr;  // what the innermost resume runs, if listed
    size_t adoptedCount = 0;          // records in `threads` of coroutines that scripts made
    // Adopted for a wait whose yield has not yet been seen to succeed: where it raised, the
    // record is let go at the next adoption.
    ScriptThread* pendingAdoption = nullptr;
    int scriptsRunning = 0;           // resumes and main chunks under way
    std::exception_ptr heldException;  // raised by host code inside a script function
};
