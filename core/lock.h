// A pending event: something about one object, named by an event number, that a script thread
// can wait for. Event 0 is the object's pause running out. At most one thread waits on a Lock.
// Each object holds its own Locks by value (PendingEvents); the Core takes one out before
// resuming the waiter, so the resumed script may pause again on the same event, or delete the
// object. A waiter that a script resumed before its event came stops being the waiter the next
// time it waits, and one that is no longer suspended when its event comes is let go instead of
// resumed.
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

    // The waiter's record in the Core, which keeps the thread alive; null while none waits.
    ScriptThread* waiter() const { return owner; }
    void setWaiter(ScriptThread* record, lua_State* waiting) {
        owner = record;
        thread = waiting;
    }
    void clearWaiter() { setWaiter(nullptr, nullptr); }

private:
    ScriptThread* owner = nullptr;
};
