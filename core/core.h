// The engine's centre. It owns the Lua 5.1 state every script runs in, the live game objects, the
// script threads and the events (locks) they wait for, and it drives them all from the frame
// loop. A host makes a Core, calls resetScripting once, then hands control to run.
//
// Everything runs on the thread that runs the frame loop. Script threads are Lua coroutines that
// run only inside the resumes the Core makes. A script error ends in Log::error, which throws
// only after Lua has returned, with the Core consistent.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "lua_memory.h"
#include "objects_by_id.h"

class Lock;
class Object;

class Core {
public:
    // Makes an object of a host type (any type number but 0); null for a type it does not know.
    using ObjectFactory = std::function<Object*(int type)>;
    // Called once per frame, after every object has been updated, with the frame's duration.
    using FrameCallback = std::function<void(float elapsed)>;

    Core(ObjectFactory objectFactory, FrameCallback frameCallback);
    // Closes the Lua state and destroys every object and lock.
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // The Core whose Lua state `L` belongs to (the main state or one of its threads); null for
    // a state no Core made. The state's allocator carries it, out of every script's reach, so
    // no global a script assigns (such as "core") can mislead it.
    static Core* fromLua(lua_State* L);

    // ---- Scripting state ----

    // Discards every script thread (the Lua state is closed), object and lock, and builds a
    // fresh Lua state with the engine's globals. Ids restart at 1; the game time and the
    // registered functions stay. Never call it from a script or from a function a script calls.
    void resetScripting();
    // Installs `function` as the global `name` at every later reset, after the engine's own
    // functions, so a name they use ("wait", say) takes the registered function instead.
    void registerFunction(const std::string& name, lua_CFunction function);
    // The main state, whose globals table is the state table; null before the first reset.
    lua_State* getLuaState() const { return luaState; }

    // ---- State file ----

    // Writes the state table's variables, every object (header and key block) and the next
    // object id to `path`. The file is written beside the target and moved over it only when
    // complete, so a failed save leaves an earlier file as it was; false then. A variable whose
    // value (or name) cannot be stored ends in Log::error, also without touching `path`.
    bool saveState(std::string path);
    // Replaces the whole scripting state with what `path` holds: the state table's variables,
    // the objects with their saved ids, scripts, pause timers and keys, and the next object id.
    // No thread runs and no lock stands afterwards. The file is checked before anything is
    // discarded: one that does not open, is not a regular file, is larger than the machine's
    // memory, is cut short, holds lengths or counts beyond its end, or names an object type the
    // factory cannot make leaves the running state untouched and returns false (the reason goes
    // to the log). Bytes after the next object id are not read (the log says how many). No
    // exception leaves a load: one raised inside it returns false. The factory may be asked for an object of
    // each such type, which is then destroyed unused. Key blocks that a host type reads itself
    // can only be read after the reset; a fault there returns false with the state reset.
    // A variable of a type the file cannot hold ends in Log::error, the state untouched.
    bool loadState(std::string path);

    // ---- Objects ----

    // Type 0 makes a plain Object, any other type asks the factory. Null (and no id used up)
    // when no object results. `script` is only recorded: no thread starts.
    Object* createObject(int type, const std::string& script);
    // The first object in list order with this id, or null.
    Object* findObject(int id) const;
    // Removes the object from the list and destroys it; false when no live object has the id.
    // Its pending events go with it: a script thread waiting on one stays suspended until the
    // next reset, and no later object can be taken for this one. While the frame loop updates
    // objects the destruction waits for the end of the walk, so an object may delete itself
    // from inside its own update.
    bool deleteObject(int id);
    // The live objects in list (creation) order.
    std::vector<Object*> getObjects() const;
    // Gives a live object another id (a loaded state file restores saved ids). Ids may then
    // repeat; findObject answers the first object in list order with the id.
    void setObjectId(Object* object, int id);

    // ---- Frame loop ----

    // Handles one window message per pass and runs a frame whenever none waits, until WM_QUIT
    // arrives. Always returns true.
    bool run();
    // One frame of `elapsed` seconds: adds it to the game time, updates every object in list
    // order (objects created meanwhile included), then calls the frame callback. run calls it
    // with the measured duration; a host with a loop of its own may call it instead.
    void runFrame(float elapsed);
    // While false, run handles messages but runs no frames.
    void setRunning(bool running) { this->running = running; }
    bool isRunning() const { return running; }
    // Seconds of game time: every frame's duration since construction, kept across resets.
    float getTime() const { return time; }

    // ---- Script threads ----

    // A new script thread for `object`: a private global environment, the object's script file
    // run in it, then the global `functionName` with the object's id pushed, ready to resume.
    // Null, silently, when the object has no script or the name is not a function. A script
    // that does not load or fails while its file runs ends in Log::error.
    lua_State* createThread(Object* object, const std::string& functionName);
    // Resumes `thread` with the object's id (the first time) plus the `argCount` values the
    // caller pushed. A thread that ends is released; one that fails is released, then its
    // message and traceback go to Log::error. `object` is not consulted.
    void resumeThread(Object* object, lua_State* thread, int argCount);
    // createThread, then the first resume: the function runs until it waits, ends or fails.
    // False when no thread could be made.
    bool startThread(Object* object, const std::string& functionName);
    size_t threadCount() const { return threads.size(); }

    // ---- Locks: events a script thread can wait for ----

    // Adds a pending event (object, eventId); false when one is already pending.
    bool addLock(Object* object, int eventId);
    // Takes the pending event out, resumes the thread waiting on it (if any), then destroys it.
    // Nothing happens when none is pending.
    void releaseLock(Object* object, int eventId);
    // The pending event, or null. Valid until the object's events change.
    Lock* findLock(Object* object, int eventId) const;

private:
    friend class Lock;             // finishes the resumes it makes
    friend class ScriptFunctions;  // keeps host exceptions raised inside script functions
    friend class StateFile;        // restores saved ids and the id counter

    static void* allocateLua(void* core, void* block, size_t oldSize, size_t newSize);
    static int buildLuaState(lua_State* L);

    // Object list (object_list.cpp). Deleted objects leave a null hole in `objects` until it is
    // compacted, so deletion never shifts the slots a running walk depends on.
    static constexpr size_t kDetached = static_cast<size_t>(-1);  // listSlot of a deleted object
    void appendObject(Object* object);
    void detachObject(Object* object);
    void destroyObject(Object* object);
    void compactObjects();
    void indexObject(Object* object);
    void unindexObject(Object* object);
    void discardObjects();

    // Frame loop (frame_loop.cpp).
    void updateObjects(float elapsed);
    void endWalk();

    // Script threads (script_threads.cpp).
    lua_State* newScriptThread();
    // lua_resume, noting for Lock::yield whether `thread` is a script thread (one `threads`
    // keeps alive) while it runs.
    int resume(lua_State* thread, int argCount, bool scriptThread);
    void releaseThread(lua_State* thread);
    void finishResume(lua_State* thread, int status);
    [[noreturn]] void failThread(lua_State* thread, const std::string& message);
    void rethrowHeldException();

    // Locks (locks.cpp). Each object keeps its own pending events, so finding one never
    // looks beyond that object, and the events go when the object does.
    void dropLocks(Object* object);

    ObjectFactory objectFactory;
    FrameCallback frameCallback;
    std::vector<Object*> objects;                 // creation order; null where one was deleted
    std::unordered_map<lua_State*, int> threads;  // live thread -> its registry reference
    lua_State* runningScriptThread = nullptr;     // what the innermost resume runs, if listed
    std::map<std::string, lua_CFunction> functions;
    LuaMemory luaMemory;  // outlives every Lua state the Core makes
    lua_State* luaState = nullptr;
    float time = 0.0f;
    bool running = true;
    int nextObjectId = 1;

    // Beside the list: the first live object in list order with each id; the others with that
    // id (ids repeat only when a state file says so) follow it through nextWithSameId.
    ObjectsById objectsById;
    size_t holes = 0;                    // null entries in `objects`
    int walkDepth = 0;                   // updateObjects calls under way
    std::vector<Object*> doomedObjects;  // deleted during a walk, destroyed when it ends
    std::exception_ptr heldException;    // raised by host code inside a script function
};
