// Locks: pending events that script threads wait for.
//
// Each object keeps its own pending events: the first inside the object itself, on the cache
// line that the frame walk reads anyway, any others beside it. No two locks for one object and
// event ever stand at once, so the first match of a search is the only one, and a search looks
// only at that object's few events, however many objects wait. An object's locks go when it is
// deleted, so none can be taken for a later object made at the same address.
#include <utility>

#include "core/core.h"
#include "core/lock.h"
#include "objects/object.h"

namespace {

// Among an object's pending locks, the first and the `more` beside it, the one for `eventId`;
// null when there is none.
Lock* findIn(Lock& first, std::vector<Lock>& more, int eventId) {
    if (first.object == nullptr) {
        return nullptr;  // none pending: the first place is taken before any other
    }
    if (first.eventId == eventId) {
        return &first;
    }
    for (Lock& lock : more) {
        if (lock.eventId == eventId) {
            return &lock;
        }
    }
    return nullptr;
}

}  // namespace

int Lock::yield(lua_State* thread) {
    const int result = lua_yield(thread, 0);  // raises where the thread cannot yield
    Core* core = object->getCore();
    ScriptThread* running = core->runningScriptThread;
    if (running != nullptr && running->thread == thread) {
        owner = running;  // the Core keeps it alive
        running->waitObject = object;
        running->waitEvent = eventId;
    } else {
        // Most likely a script's own coroutine: nothing else may keep it alive until the event
        // comes. (A script thread another script resumed is held twice, which does no harm.)
        lua_pushthread(thread);
        threadReference = core->anchor(thread);  // stack as lua_yield left it
    }
    this->thread = thread;
    return result;
}

bool Core::addLock(Object* object, int eventId) {
    if (object->listSlot == kDetached) {
        return false;  // deleted while its own update runs: nothing could ever release it
    }
    if (findIn(object->firstLock, object->moreLocks, eventId) != nullptr) {
        return false;
    }
    if (object->firstLock.object == nullptr) {
        object->firstLock = Lock(object, eventId);
    } else {
        object->moreLocks.emplace_back(object, eventId);
    }
    return true;
}

void Core::releaseLock(Object* object, int eventId) {
    Lock* found = findIn(object->firstLock, object->moreLocks, eventId);
    if (found == nullptr) {
        return;
    }
    // Out of the object before its thread runs, so the script can wait on a fresh lock for the
    // same event.
    const Lock lock = *found;
    std::vector<Lock>& more = object->moreLocks;
    if (!more.empty()) {
        *found = more.back();
        more.pop_back();
    } else {
        *found = Lock(nullptr, 0);  // it was the first, and the only one
    }
    // The woken script names its object by id: findObject need not look for it.
    objectAtHand = object;
    resumeWaiter(lock);
    objectAtHand = nullptr;  // it may be gone, or another may be at hand now
}

void Core::resumeWaiter(const Lock& lock) {
    if (lock.thread == nullptr) {
        return;
    }
    if (lock.owner != nullptr) {
        lock.owner->waitObject = nullptr;
    }
    resumeIfSuspended(lock.thread, lock.owner, 0, lock.threadReference);
}

Lock* Core::findLock(Object* object, int eventId) const {
    return findIn(object->firstLock, object->moreLocks, eventId);
}

// A deleted object's waiters can never be resumed through the engine: the Core lets them go so
// Lua can collect them (unless a script still holds one, and resumes it itself).
void Core::dropLocks(Object* object) {
    const Lock first = std::exchange(object->firstLock, Lock(nullptr, 0));
    std::vector<Lock> more;
    more.swap(object->moreLocks);
    if (first.object != nullptr) {
        forgetWaiter(first);
    }
    for (const Lock& lock : more) {
        forgetWaiter(lock);
    }
}

void Core::forgetWaiter(const Lock& lock) {
    if (lock.thread == nullptr || luaState == nullptr) {
        return;  // once the Lua state is closed there is nothing left to let go
    }
    if (lock.owner == nullptr) {
        unanchor(lock.threadReference);
        return;
    }
    lock.owner->waitObject = nullptr;
    if (lua_status(lock.thread) == LUA_YIELD) {  // not one that a script resumed and that runs
        releaseThread(lock.thread);
    }
}
