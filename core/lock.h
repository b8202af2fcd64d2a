// A pending event: something about one object, named by an event number, that a script thread
// can wait for. Event 0 is the object's pause running out. At most one thread waits on a Lock.
// Each object holds its own Locks by value; the Core takes one out before resuming the waiter,
// so the resumed script may pause again on the same event, or delete the object.
#pragma once

#include <lua.hpp>

class Object;

class Lock {
public:
    Lock(Object* object, int eventId) : object(object), eventId(eventId) {}

    bool matches(const Object* object, int eventId) const {
        return this->object == object && this->eventId == eventId;
    }
    // Makes `thread` the waiter and suspends it; the native function that calls this returns
    // the result to Lua at once. The Lock keeps the thread alive while it waits, whoever made
    // it. Where the thread cannot yield (inside a metamethod or a protected call) Lua raises its
    // error and nothing is recorded.
    int yield(lua_State* thread);
    // Resumes the waiting thread, if any, with no values; it runs until it waits again, ends
    // or fails.
    void resume();

    Object* object;
    int eventId;
    lua_State* thread = nullptr;

private:
    friend class Core;
    int threadReference = LUA_NOREF;  // keeps alive a waiter that is not a script thread
};
