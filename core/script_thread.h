// The Core's record of a script thread it made, or of a script's own coroutine while it waits
// for an event. It lives from the thread's creation (or the coroutine's wait) until the thread
// ends, fails, or can no longer be resumed through the engine (the object whose event it waits
// for is deleted); the thread's reference in the anchor table keeps it alive that long.
#pragma once

#include <lua.hpp>

class Object;

struct ScriptThread {
    lua_State* thread;
    int reference;  // in the anchor table
    // A coroutine of a script's own that waits for an event, kept (as the Core's threads are)
    // only while it waits.
    bool adopted = false;
    // The pending event the thread waits for, if any. Only that Lock names this record, so a
    // record released (or a thread resumed some other way) never leaves a Lock pointing at it.
    Object* waitObject = nullptr;
    int waitEvent = 0;
};
