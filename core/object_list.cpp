#include "core/object_list.h"

#include <algorithm>
#include <iterator>

#include "core/object.h"

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
    objects.push_back(object);
    object->listSlot = objects.size() - 1;
    try {
        index(object);
    } catch (...) {
        objects.pop_back();
        object->listSlot = kDetached;
        throw;
    }
}

void ObjectList::detach(Object* object) {
    if (object == objectAtHand) {
        objectAtHand = nullptr;
    }
    unindex(object);
    objects[object->listSlot] = nullptr;
    object->listSlot = kDetached;
    ++holes;
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
    for (Object* object : objects) {
        if (object != nullptr) {
            object->listSlot = kept;
            objects[kept++] = object;
        }
    }
    objects.resize(kept);
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

void ObjectList::walk(float elapsed) {
    struct WalkScope {
        ObjectList& list;
        explicit WalkScope(ObjectList& list) : list(list) { ++list.walkDepth; }
        ~WalkScope() { list.endWalk(); }  // also when a script error ends the frame
    } scope(*this);
    // The size is read afresh at each step, so objects created during the walk are updated in
    // this frame too; deleted ones leave holes, which are skipped.
    //
    // Each object, and each script thread, lives apart from the others, in memory that is
    // rarely in the cache. So the walk asks for an object some steps before it comes to it, and
    // for the thread it will wake half as many steps before, and the fetches overlap instead of
    // following one another.
    constexpr size_t kAhead = 32;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i + kAhead < objects.size()) {
            __builtin_prefetch(objects[i + kAhead]);
        }
        if (i + kAhead / 2 < objects.size() && objects[i + kAhead / 2] != nullptr) {
            prefetchWaiter(*objects[i + kAhead / 2], elapsed);
        }
        if (Object* object = objects[i]) {
            object->update(elapsed);
        }
    }
}

// A hint, so a guess will do: an object that updates as Object does wakes the thread waiting
// on its pause when the time left runs out in this frame. What the thread's resume reads lies
// from the start of its state on: LuaMemory cut it together with its call records, its stack,
// its environment and the functions its file made (ScriptThreads::prepare).
void ObjectList::prefetchWaiter(const Object& object, float elapsed) const {
    constexpr int kThreadBytes = 1536;  // its state, call records, stack and environment
    const Lock& lock = object.events.front();
    if (lock.thread == nullptr || !(object.waitTimer > 0.0f) || object.waitTimer > elapsed) {
        return;
    }
    const char* thread = reinterpret_cast<const char*>(lock.thread);
    for (int offset = 0; offset < kThreadBytes; offset += 64) {
        __builtin_prefetch(thread + offset);
    }
    __builtin_prefetch(lock.waiter());
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
