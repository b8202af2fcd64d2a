// The engine's centre. It owns the Lua 5.1 state every script runs in, the live game objects
// (ObjectList), the script threads (ScriptThreads) and the events (locks) they wait for, and it
// drives them all from the frame loop. The operations a host and the scripts use live here and
// forward to those classes. A host makes a Core, calls resetScripting once, then hands control
// to run.
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
#include <memory>
#include <string>
#include <vector>

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
    // registered functions stay. While a script runs (from a function a script calls) it would
    // close the state under that script: it is refused, with a log line, and returns false;
    // requestResetScripting is the way to ask for it from there.
    bool resetScripting();
    // Installs `function` as the global `name` at every later reset, after the engine's own
    // functions, so a name they use ("wait", say) takes the registered function instead.
    void registerFunction(const std::string& name, lua_CFunction function);
    // The main state, whose globals table is the state table; null before the first reset.
    // The bottom slot of its stack belongs to the engine: leave it there.
    lua_State* getLuaState() const { return luaState; }
    // Whether Lua code is running: a script thread, a script file's main chunk, or any function
    // called in the main state.
    bool isScriptRunning() const;

    // ---- State file ----

    // Writes the state table's variables, every object (header and key block) and the next
    // object id to `path`. The file is written beside the target and moved over it only when
    // complete, so a failed save leaves an earlier file as it was; false then. Through symbolic
    // links the file they name is replaced, beside it; a target that exists and is not a regular
    // file (a folder, a FIFO, a device) is refused with a log line. A variable whose
    // value (or name) cannot be stored ends in Log::error, also without touching `path`.
    bool saveState(std::string path);
    // Replaces the whole scripting state with what `path` holds: the state table's variables,
    // the objects with their saved ids, scripts, pause timers and keys, and the next object id,
    // raised past every loaded id (and from 0) when the file gives one a new object would repeat
    // (the log says so). No thread runs and no lock stands afterwards. All or nothing: the whole
    // file is read, once, before anything is discarded. The factory is asked once for each
    // object; every object is made, not yet listed, before any key block is read, and each block
    // is read by its object's own load; only then is the state reset and are those same objects
    // listed. A file that does not open, is not a regular file, is larger than the machine's
    // memory, is cut short, holds lengths or counts beyond its end, or names an object type the
    // factory cannot make leaves the running state untouched and returns false (the reason goes
    // to the log); so does an exception raised inside the load. Bytes after the next object id
    // are not read (the log says how many). A variable of a type the file cannot hold ends in
    // Log::error, the state untouched.
    // Refused (false, with a log line) while a script runs; see requestLoadState.
    bool loadState(std::string path);

    // ---- For the state file ----
    // What saveState and loadState (persist/state_file.cpp) need of the Core beyond the
    // operations above; implemented in core/state_hand_off.cpp.

    // An object of `type` (plain for 0, else the factory's) with this script and id, not listed
    // and taking no id from the counter: null when the factory makes none. Destroyed unlisted,
    // it leaves the Core as it was.
    std::unique_ptr<Object> makeUnlistedObject(int type, const std::string& script, int id);
    // Resets the scripting state as resetScripting does, then lists `objects` (made by
    // makeUnlistedObject) in their order with the ids they carry, and numbers new objects from
    // `nextObjectId`. False when the reset is refused: the objects are then destroyed unlisted.
    bool adoptLoadedState(std::vector<std::unique_ptr<Object>> objects, int nextObjectId);
    // The id the next object createObject makes takes.
    int getNextObjectId() const;

    // The safe way for a script (through a function the host registers) to ask for a load or a
    // reset: each is performed after the current frame, once its frame callback has returned
    // (after the next frame when none is under way), in the order asked. `done` then learns the
    // outcome. After a load or a reset no thread runs, the asking one included: `done` is where
    // a host starts the scripts again. After a failed load the state is as it was and the
    // asking thread carries on; `done(false)` may tell it, through a variable or a key.
    void requestLoadState(std::string path, std::function<void(bool loaded)> done = {});
    void requestResetScripting(std::function<void()> done = {});

    // ---- Objects ----

    // Type 0 makes a plain Object, any other type asks the factory. Null (and no id used up)
    // when no object results, or (with a log line) when `script` lies outside the script
    // folder. `script` is only recorded: no thread starts.
    Object* createObject(int type, const std::string& script);
    // Confines script paths to `folder`, an opt-in for hosts whose scripts live in one place: a
    // path that does not lie inside it (made absolute against the working folder, with "..",
    // "." and symbolic links resolved) is refused by createObject, by newObject (a Lua error)
    // and in a state file (which then does not load, the state untouched); and a thread starts
    // only from a file that, once open, lies inside it (a script error otherwise), so a link
    // re-pointed meanwhile leads nowhere. Objects made before keep their paths. Empty, the
    // default, allows every path.
    void confineScripts(const std::string& folder);
    // Whether an object may be given `script` now: always for an empty path (no script).
    bool isScriptAllowed(const std::string& script) const;
    // The folder of confineScripts; empty when paths are not confined.
    const std::string& getScriptFolder() const;
    // The first object in list order with this id, or null.
    Object* findObject(int id) const;
    // Removes the object from the list and destroys it; false when no live object has the id.
    // Its pending events go with it, and so do the script threads waiting on them, which
    // nothing could resume any more; no later object can be taken for this one. While the frame loop updates
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
    // with the measured duration; a host with a loop of its own may call it instead. Memory
    // running out during the frame ends in Log::error ("Out of memory."), as a script's does.
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
    // message and traceback go to Log::error. A thread that cannot be resumed (it ended, or it
    // runs) is not: the values are popped, and one that ended is released. `object` is not
    // consulted.
    void resumeThread(Object* object, lua_State* thread, int argCount);
    // createThread, then the first resume: the function runs until it waits, ends or fails.
    // False when no thread could be made.
    bool startThread(Object* object, const std::string& functionName);
    // Makes the next thread on each script file compile the file afresh. Files are otherwise
    // looked at on disk at most once per frame, so a script written within a frame reaches
    // only the threads of later frames: a host that writes scripts and starts them at once (an
    // editor, a tool) calls this in between.
    void forgetCompiledScripts();
    // The script threads that createThread made and that have not yet been released.
    size_t threadCount() const;
    // What a script function does with a host's exception that it caught (script_guard.h): the
    // Core rethrows it once the script's resume has returned, after the script has failed.
    void holdException(std::exception_ptr exception);

    // ---- Locks: events a script thread can wait for ----

    // Adds a pending event (object, eventId); false when one is already pending.
    bool addLock(Object* object, int eventId);
    // Takes the pending event out, resumes the thread waiting on it (if any), then destroys it.
    // Nothing happens when none is pending.
    void releaseLock(Object* object, int eventId);
    // The pending event, or null. Valid until the object's events change.
    Lock* findLock(Object* object, int eventId) const;
    // What the script function "wait" does once it has read the event: makes `thread` (the one
    // calling) the waiter of the pending event and suspends it, returning what a native function
    // returns to Lua to yield; 0 when no such event is pending or another thread waits on it.
    // The thread stays alive while it waits, whoever made it. Where the thread cannot yield
    // (inside a metamethod or a protected call) Lua raises its error and nothing is recorded.
    int waitFor(lua_State* thread, int objectId, int eventId);

private:
    static void* allocateLua(void* parts, void* block, size_t oldSize, size_t newSize);
    static int buildLuaState(lua_State* L);
    void anchorLuaState();
    void closeLuaState();

    // Takes every object out of the list and destroys it, its pending events first.
    void discardObjects();

    // Locks (locks.cpp): the rules of pending events and their waiters.
    void resumeWaiter(const Lock& lock);
    void dropLocks(Object* object);
    void forgetWaiter(const Lock& lock);

    // Loads and resets asked for while scripts may run, performed after the frame.
    void performRequests();

    struct Parts;  // core_parts.h

    ObjectFactory objectFactory;
    FrameCallback frameCallback;
    std::unique_ptr<Parts> parts;
    std::vector<std::function<void()>> requests;  // asked for by requestLoadState and the like
    std::map<std::string, lua_CFunction> functions;
    lua_State* luaState = nullptr;
    float time = 0.0f;
    bool running = true;
    int nextObjectId = 1;
};
