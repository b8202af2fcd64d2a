// Locks: pending events that script threads wait for.
//
// The Core keeps them by object, then by event number. Since no two locks for one object and
// event ever stand at once, finding, adding and releasing one is a hash lookup, whatever the
// number of objects waiting. An object's locks go when it is deleted, so none can be taken for a
// later object made at the same address.
#include <memory>

#include "core/core.h"
#include "core/lock.h"
#include "objects/object.h"

int Lock::yield(lua_State* thread) {
    const int result = lua_yield(thread, 0);  // raises where the thread cannot yield
    this->thread = thread;
    return result;
}

void Lock::resume() {
    if (thread == nullptr) {
        return;
    }
    Core* core = object->getCore();  // read first: the resumed script may delete the object
    core->finishResume(thread, lua_resume(thread, 0));
}

bool Core::addLock(Object* object, int eventId) {
    if (object->listSlot == kDetached) {
        return false;  // deleted while its own update runs: nothing could ever release it
    }
    EventLocks& events = locks[object];
    if (events.count(eventId) != 0) {
        return false;
    }
    auto lock = std::make_unique<Lock>(object, eventId);
    events.emplace(eventId, lock.get());
    lock.release();
    return true;
}

void Core::releaseLock(Object* object, int eventId) {
    auto forObject = locks.find(object);
    if (forObject == locks.end()) {
        return;
    }
    auto found = forObject->second.find(eventId);
    if (found == forObject->second.end()) {
        return;
    }
    // Out of the list before its thread runs, so the script can wait on a fresh lock for the
    // same event; destroyed afterwards, even when the script fails.
    std::unique_ptr<Lock> lock(found->second);
    forObject->second.erase(found);
    lock->resume();
}

Lock* Core::findLock(const Object* object, int eventId) const {
    auto forObject = locks.find(object);
    if (forObject == locks.end()) {
        return nullptr;
    }
    auto found = forObject->second.find(eventId);
    return found == forObject->second.end() ? nullptr : found->second;
}

// A thread waiting on one of these locks stays suspended, in `threads`, until the next reset.
void Core::dropLocks(const Object* object) {
    auto forObject = locks.find(object);
    if (forObject == locks.end()) {
        return;
    }
    for (auto& [eventId, lock] : forObject->second) {
        delete lock;
    }
    locks.erase(forObject);
}

void Core::discardLocks() {
    for (auto& [object, events] : locks) {
        for (auto& [eventId, lock] : events) {
            delete lock;
        }
    }
    locks.clear();
}
