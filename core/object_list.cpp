#include "core/object_list.h"

#include <algorithm>
#include <array>
#include <bit>
#include <iterator>
#include <typeinfo>

#include "core/object.h"
#include "core/pause_countdown.h"

ObjectList::~ObjectList() {
    endWalk();
    for (Object* object : objects) {
        delete object;
    }
}

std::unique_ptr<Object> ObjectList::make(const Factory& factory, Core* core, int type,
                                         const std::string& script, int id) {
    std::unique_ptr<Object> object(type == 0 ? new Object : nullptr);
    if (object == nullptr && factory) {
        object.reset(factory(type));
    }
    if (object != nullptr) {
        object->type = type;
        object->script = script;
        object->core = core;
        object->id = id;
        object->listSlot = kDetached;
    }
    return object;
}

void ObjectList::append(Object* object) {
    countdowns.extendTo(objects.size());
    objects.push_back(object);
    object->listSlot = objects.size() - 1;
    try {
        index(object);
    } catch (...) {
        objects.pop_back();
        object->listSlot = kDetached;
        throw;
    }
    takeTimer(object->listSlot);
}

void ObjectList::detach(Object* object) {
    if (object == objectAtHand) {
        objectAtHand = nullptr;
    }
    unindex(object);
    returnTimer(object->listSlot);
    objects[object->listSlot] = nullptr;
    object->listSlot = kDetached;
    ++holes;
}

void ObjectList::takeTimer(size_t slot) {
    Object& object = *objects[slot];
    if (typeid(object) == typeid(Object)) {
        object.countdown = countdowns.keep(slot, object.waitTimer);
    } else {
        countdowns.release(slot);
    }
}

void ObjectList::returnTimer(size_t slot) {
    Object& object = *objects[slot];
    if (countdowns.keeps(slot)) {
        object.waitTimer = countdowns.seconds(slot);
        object.countdown = &object.waitTimer;
    }
    countdowns.release(slot);
}


void ObjectList::destroy(Object* object) {
    if (walkDepth > 0) {
        doomedObjects.push_back(object);
        return;
    }
    delete object;
    if (holes > objects.size() / 2) {
        compact();
    }
}

void ObjectList::detachAll(const std::function<void(Object*)>& discard) {
    for (size_t slot = 0; slot < objects.size(); ++slot) {
        if (objects[slot] != nullptr) {
            returnTimer(slot);
        }
    }
    std::vector<Object*> listed;
    listed.swap(objects);  // destructors of host objects may list new ones meanwhile
    objectsById.clear();
    objectAtHand = nullptr;
    holes = 0;
    for (Object* object : listed) {
        if (object != nullptr) {
            object->listSlot = kDetached;
            discard(object);
        }
    }
}

void ObjectList::setId(Object* object, int id) {
    unindex(object);
    object->id = id;
    index(object);
}

std::vector<Object*> ObjectList::live() const {
    std::vector<Object*> live;
    live.reserve(objects.size() - holes);
    std::copy_if(objects.begin(), objects.end(), std::back_inserter(live),
                 [](const Object* object) { return object != nullptr; });
    return live;
}

void ObjectList::reserve(size_t count) {
    objects.reserve(count);
    objectsById.reserve(count);
}

void ObjectList::compact() {
    size_t kept = 0;
    for (size_t slot = 0; slot < objects.size(); ++slot) {
        if (Object* object = objects[slot]) {
            object->listSlot = kept;
            objects[kept] = object;
            if (float* countdown = countdowns.move(slot, kept)) {
                object->countdown = countdown;
            }
            ++kept;
        }
    }
    objects.resize(kept);
    countdowns.shrinkTo(kept);
    holes = 0;
}

void ObjectList::index(Object* object) {
    Object* first = objectsById.find(object->id);
    if (first == nullptr || object->listSlot < first->listSlot) {
        object->nextWithSameId = first;
        objectsById.set(object->id, object);
        object->firstWithId = true;
        if (first != nullptr) {
            first->firstWithId = false;
        }
        return;
    }
    object->firstWithId = false;
    Object* before = first;
    while (before->nextWithSameId != nullptr &&
           before->nextWithSameId->listSlot < object->listSlot) {
        before = before->nextWithSameId;
    }
    object->nextWithSameId = before->nextWithSameId;
    before->nextWithSameId = object;
}

void ObjectList::unindex(Object* object) {
    Object* first = objectsById.find(object->id);
    if (first == object) {
        object->firstWithId = false;
        if (object->nextWithSameId != nullptr) {
            objectsById.set(object->id, object->nextWithSameId);
            object->nextWithSameId->firstWithId = true;
        } else {
            objectsById.erase(object->id);
        }
        return;
    }
    Object* before = first;
    while (before->nextWithSameId != object) {
        before = before->nextWithSameId;
    }
    before->nextWithSameId = object->nextWithSameId;
}

// The thread an object wakes (a host type's, if it updates as Object does), whose resume
// reads from the start of its state on: LuaMemory cut it together with its call records, its
// stack, its environment and the functions its file made (ScriptThreads::prepare); and the
// object's first key, a guess at the one the script reads. Always inlined, as lookAhead is: a
// call to a function that only prefetches may be dropped.
[[gnu::always_inline]] inline void ObjectList::prefetchWaiter(const Object& object) {
    constexpr int kThreadBytes = 1536;  // its state, call records, stack and environment
    const Lock& lock = object.events.front();
    if (lock.thread != nullptr) {
        const char* thread = reinterpret_cast<const char*>(lock.thread);
        for (int offset = 0; offset < kThreadBytes; offset += 64) {
            __builtin_prefetch(thread + offset);
        }
        __builtin_prefetch(lock.waiter());
    }
    if (!object.keys.empty()) {
        __builtin_prefetch(&*object.keys.begin());
    }
}

// Each object, and each script thread, lives apart from the others, in memory that is rarely
// in the cache. So the walk asks for an object some steps before it comes to it, and for the
// thread it will wake half as many steps before (once the object, which names the thread, has
// come), and the fetches overlap instead of following one another. It looks at a run of slots
// at a time, and through their countdowns: over idle plain Objects it reads no object. The
// countdowns of a run are looked at once, when its objects are asked for, and what they said
// serves the later asks: those are hints only, and the walk itself looks again. Always inlined:
// a call to a function that only prefetches may be dropped.
[[gnu::always_inline]] inline void ObjectList::lookAhead(size_t slot, float elapsed,
                                                         AheadRuns& ahead) {
    constexpr size_t kRun = PauseCountdowns::kRun;
    const size_t size = objects.size();
    const auto seen = [&ahead](size_t first) -> unsigned& {
        return ahead[first / kRun % ahead.size()];
    };
    if (const size_t first = slot + kObjectAhead; first + kRun <= size) {
        seen(first) = countdowns.attention(first, elapsed);
        for (unsigned bits = seen(first); bits != 0; bits &= bits - 1) {
            if (const Object* object = objects[first + std::countr_zero(bits)]) {
                __builtin_prefetch(object);
                // its other events, its timer's place, its keys
                __builtin_prefetch(reinterpret_cast<const char*>(object) + 64);
            }
        }
    } else {
        seen(first) = 0;
    }
    // The object in `place`, a slot the countdowns called for attention, if it wakes in this
    // frame. The list may have shrunk since (a host reset it from an update).
    const auto waking = [&](size_t place) -> const Object* {
        const Object* object = place < objects.size() ? objects[place] : nullptr;
        return object != nullptr &&
                       (countdowns.keeps(place) || runsOutNext(object->waitTimer, elapsed))
                   ? object
                   : nullptr;
    };
    const size_t waiters = slot + kWaiterAhead;
    for (unsigned bits = seen(waiters); bits != 0; bits &= bits - 1) {
        if (const Object* object = waking(waiters + std::countr_zero(bits))) {
            prefetchWaiter(*object);
        }
    }
    // The value record of the first key, whose map node came with the waiter.
    const size_t values = slot + kValueAhead;
    for (unsigned bits = seen(values); bits != 0; bits &= bits - 1) {
        const Object* object = waking(values + std::countr_zero(bits));
        if (object != nullptr && !object->keys.empty()) {
            __builtin_prefetch(object->keys.begin()->second);
        }
    }
}

void ObjectList::walk(float elapsed) {
    struct WalkScope {
        ObjectList& list;
        explicit WalkScope(ObjectList& list) : list(list) { ++list.walkDepth; }
        ~WalkScope() { list.endWalk(); }  // also when a script error ends the frame
    } scope(*this);
    // The size is read afresh at each step, so objects created during the walk are updated in
    // this frame too; deleted ones leave holes, which are skipped. A plain Object is updated
    // here, as its update would, from its countdown: the object itself is read only when its
    // time runs out. Most steps do no more than count a plain Object's timer down: a run of
    // them, with no host type's object or hole and no timer that runs out, is counted down at
    // once, which comes to what the steps one by one would, as no code runs between them.
    constexpr size_t kRun = PauseCountdowns::kRun;
    AheadRuns ahead{};  // the first runs, which no look came to before, are looked at here
    for (size_t first = 0; first < kObjectAhead && first + kRun <= objects.size(); first += kRun) {
        ahead[first / kRun] = countdowns.attention(first, elapsed);
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i % kRun == 0) {
            lookAhead(i, elapsed, ahead);
            if (i + kRun <= objects.size() && !countdowns.needsAttention(i, elapsed)) {
                countdowns.countDownRun(i, elapsed);
                i += kRun - 1;
                continue;
            }
        }
        if (countdowns.keeps(i)) {
            if (runsOut(countdowns.seconds(i), elapsed)) {
                objects[i]->releaseLock(0);  // may resume a script that deletes the object
            }
        } else if (Object* object = objects[i]) {
            object->update(elapsed);
        }
    }
}

void ObjectList::endWalk() {
    if (walkDepth > 0 && --walkDepth > 0) {
        return;
    }
    std::vector<Object*> doomed;
    doomed.swap(doomedObjects);
    for (Object* object : doomed) {
        delete object;
    }
    if (holes > objects.size() / 2) {
        compact();
    }
}
