// Locks: pending events that script threads wait for.
//
// Each object keeps its own pending events: the first inside the object itself, on the cache
// line that the frame walk reads anyway, any others beside it. No two locks for one object and
// event ever stand at once, so the first match of a search is the only one, and a search looks
// only at that object's few events, however many objects wait. An object's locks go when it is
// deleted, so none can be taken for a later object made at the same address.
#include <new>
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

ScriptThread* Core::recordOf(lua_State* thread) {
    if (runningScriptThread != nullptr && runningScriptThread->thread == thread) {
        return runningScriptThread;
    }
    auto found = threads.find(thread);
    return found == threads.end() ? nullptr : &found->second;
}

ScriptThread* Core::adopt(lua_State* thread) {
    if (pendingAdoption != nullptr) {
        releaseThread(pendingAdoption->thread);
    }
    lua_pushthread(thread);
    const int reference = anchor(thread);
    try {
        auto [entry, added] = threads.try_emplace(thread, ScriptThread{thread, reference});
        if (added) {
            entry->second.adopted = true;
            ++adoptedCount;
            pendingAdoption = &entry->second;
            return &entry->second;
        }
        unanchor(reference);  // a finalizer that ran in anchor() made it wait: kept twice else
        return &entry->second;
    } catch (const std::bad_alloc&) {
    }
    unanchor(reference);
    luaL_error(thread, "wait: not enough memory");
    return nullptr;
}

int Core::waitFor(lua_State* thread, int objectId, int eventId) {
    // A coroutine of a script's own is given a record that keeps it alive while it waits. That
    // may allocate, and so run a finalizer (__gc) that deletes any object: everything is looked
    // up after it. No Lua call may follow the yield.
    ScriptThread* record = recordOf(thread);
    if (record == nullptr) {
        record = adopt(thread);
    }
    // The thread runs, so it waits for nothing: a wait still on record was cut short by a
    // script that resumed it before the event came.
    if (record->waitObject != nullptr) {
        stopWaiting(*record);
    }
    Object* object = findObject(objectId);
    Lock* lock = object == nullptr ? nullptr : findLock(object, eventId);
    if (lock == nullptr || lock->thread != nullptr) {
        return 0;
    }
    const int result = lua_yield(thread, 0);  // raises where the thread cannot yield
    if (record == pendingAdoption) {
        pendingAdoption = nullptr;
    }
    lock->thread = thread;
    lock->owner = record;
    record->waitObject = object;
    record->waitEvent = eventId;
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
    lock.owner->waitObject = nullptr;
    resumeIfSuspended(lock.thread, lock.owner, 0);
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
    lock.owner->waitObject = nullptr;
    lua_Debug frame;
    const bool runs = lua_status(lock.thread) == 0 && lua_getstack(lock.thread, 0, &frame) != 0;
    if (!runs) {  // one that a script resumed early and that runs now is left to that script
        releaseThread(lock.thread);
    }
}
