// Locks: pending events that script threads wait for, and the rules of their waiters.
//
// Each object keeps its own pending events (PendingEvents), so finding one never looks beyond
// that object, and the events go when the object does: none can be taken for a later object
// made at the same address. The Core takes a Lock out of its object before resuming the waiter,
// so the resumed script may pause again on the same event, or delete the object.
#include "core/core.h"
#include "core/core_parts.h"
#include "core/lock.h"
#include "core/object.h"

int Core::waitFor(lua_State* thread, int objectId, int eventId) {
    // A coroutine of a script's own is given a record that keeps it alive while it waits. That
    // may allocate, and so run a finalizer (__gc) that deletes any object: everything is looked
    // up after it. No Lua call may follow the yield.
    ScriptThread* record = parts->threads.recordForWait(thread);
    // The thread runs, so it waits for nothing: a wait still on record was cut short by a
    // script that resumed it before the event came.
    if (record->waitObject != nullptr) {
        parts->threads.stopWaiting(*record);
    }
    Object* object = findObject(objectId);
    Lock* lock = object == nullptr ? nullptr : findLock(object, eventId);
    if (lock == nullptr || lock->thread != nullptr) {
        return 0;
    }
    const int result = lua_yield(thread, 0);  // raises where the thread cannot yield
    parts->threads.noteWaiting(*record, object, eventId);
    lock->setWaiter(record, thread);
    return result;
}

bool Core::addLock(Object* object, int eventId) {
    if (!parts->objects.isListed(*object)) {
        return false;  // deleted while its own update runs: nothing could ever release it
    }
    return ObjectList::eventsOf(*object).add(object, eventId);
}

void Core::releaseLock(Object* object, int eventId) {
    PendingEvents& events = ObjectList::eventsOf(*object);
    Lock* found = events.find(eventId);
    if (found == nullptr) {
        return;
    }
    // Out of the object before its thread runs, so the script can wait on a fresh lock for the
    // same event.
    const Lock lock = events.take(*found);
    // The woken script names its object by id: findObject need not look for it.
    parts->objects.setAtHand(object);
    resumeWaiter(lock);
    parts->objects.setAtHand(nullptr);  // it may be gone, or another may be at hand now
}

void Core::resumeWaiter(const Lock& lock) {
    if (lock.thread == nullptr) {
        return;
    }
    lock.waiter()->waitObject = nullptr;
    parts->threads.resumeIfSuspended(lock.thread, lock.waiter(), 0);
}

Lock* Core::findLock(Object* object, int eventId) const {
    return ObjectList::eventsOf(*object).find(eventId);
}

// A deleted object's waiters can never be resumed through the engine: the Core lets them go so
// Lua can collect them (unless a script still holds one, and resumes it itself).
void Core::dropLocks(Object* object) {
    ObjectList::eventsOf(*object).takeAll([this](const Lock& lock) { forgetWaiter(lock); });
}

void Core::forgetWaiter(const Lock& lock) {
    if (lock.thread == nullptr || luaState == nullptr) {
        return;  // once the Lua state is closed there is nothing left to let go
    }
    lock.waiter()->waitObject = nullptr;
    lua_Debug frame;
    const bool runs = lua_status(lock.thread) == 0 && lua_getstack(lock.thread, 0, &frame) != 0;
    if (!runs) {  // one that a script resumed early and that runs now is left to that script
        parts->threads.release(lock.thread);
    }
}
