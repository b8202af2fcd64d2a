// Locks: pending events that script threads wait for.
//
// Each object keeps its own pending events. No two locks for one object and event ever stand at
// once, so the first match of a search is the only one, and a search looks only at that object's
// few events, however many objects wait. An object's locks go when it is deleted, so none can be
// taken for a later object made at the same address.
#include <algorithm>
#include <utility>

#include "core/core.h"
#include "core/lock.h"
#include "objects/object.h"

namespace {

// Where the lock for (object, eventId) stands among the object's pending locks, or their end.
template <typename Locks>
auto findIn(Locks& pending, const Object* object, int eventId) {
    return std::find_if(pending.begin(), pending.end(),
                        [&](const Lock& lock) { return lock.matches(object, eventId); });
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
    std::vector<Lock>& pending = object->pendingLocks;
    if (findIn(pending, object, eventId) != pending.end()) {
        return false;
    }
    pending.emplace_back(object, eventId);
    return true;
}

void Core::releaseLock(Object* object, int eventId) {
    std::vector<Lock>& pending = object->pendingLocks;
    auto found = findIn(pending, object, eventId);
    if (found == pending.end()) {
        return;
    }
    // Out of the list before its thread runs, so the script can wait on a fresh lock for the
    // same event.
    const Lock lock = *found;
    *found = pending.back();
    pending.pop_back();
    resumeWaiter(lock);
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
    auto found = findIn(object->pendingLocks, object, eventId);
    return found == object->pendingLocks.end() ? nullptr : &*found;
}

// A deleted object's waiters can never be resumed through the engine: the Core lets them go so
// Lua can collect them (unless a script still holds one, and resumes it itself).
void Core::dropLocks(Object* object) {
    std::vector<Lock> dropped;
    dropped.swap(object->pendingLocks);
    for (const Lock& lock : dropped) {
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
