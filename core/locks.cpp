// Locks: pending events that script threads wait for.
//
// Each object keeps its own pending events. No two locks for one object and event ever stand at
// once, so the first match of a search is the only one, and a search looks only at that object's
// few events, however many objects wait. An object's locks go when it is deleted, so none can be
// taken for a later object made at the same address.
#include <algorithm>

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
    if (thread != object->getCore()->runningScriptThread) {
        // Most likely a script's own coroutine: nothing else may keep it alive until the event
        // comes. (A script thread another script resumed is held twice, which does no harm.)
        lua_pushthread(thread);
        threadReference = luaL_ref(thread, LUA_REGISTRYINDEX);  // stack as lua_yield left it
    }
    this->thread = thread;
    return result;
}

void Lock::resume() {
    if (thread == nullptr) {
        return;
    }
    Core* core = object->getCore();  // read first: the resumed script may delete the object
    const int status = core->resume(thread, 0, threadReference == LUA_NOREF);
    luaL_unref(core->luaState, LUA_REGISTRYINDEX, threadReference);
    core->finishResume(thread, status);
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
    Lock lock = *found;
    *found = pending.back();
    pending.pop_back();
    lock.resume();
}

Lock* Core::findLock(Object* object, int eventId) const {
    auto found = findIn(object->pendingLocks, object, eventId);
    return found == object->pendingLocks.end() ? nullptr : &*found;
}

// A script thread waiting on one of these locks stays suspended, in `threads`, until the next
// reset. Once the Lua state is closed there are no references left to release.
void Core::dropLocks(Object* object) {
    for (const Lock& lock : object->pendingLocks) {
        if (lock.thread != nullptr && luaState != nullptr) {
            luaL_unref(luaState, LUA_REGISTRYINDEX, lock.threadReference);
        }
    }
    object->pendingLocks.clear();
}
