// A pending event: something about one object, named by an event number, that a script thread
// can wait for. Event 0 is the object's pause running out. At most one thread waits on a Lock.
// Each object holds its own Locks by value; the Core takes one out before resuming the waiter,
// so the resumed script may pause again on the same event, or delete the object. A waiter that
// a script resumed before its event came stops being the waiter the next time it waits, and one
// that is no longer suspended when its event comes is let go instead of resumed.
#pragma once

#include <lua.hpp>

class Object;
struct ScriptThread;

class Lock {
public:
    Lock(Object* object, int eventId) : object(object), eventId(eventId) {}

    bool matches(const Object* object, int eventId) const {
        return this->object == object && this->eventId == eventId;
    }
    Object* object;
    int eventId;
    lua_State* thread = nullptr;

private:
    friend class Core;
    ScriptThread* owner = nullptr;  // the waiter's record, which keeps it alive
};
