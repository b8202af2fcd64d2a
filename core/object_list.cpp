// The Core's object list and the id index beside it.
//
// A deleted object leaves a null hole in `objects` rather than shifting the others, so a frame
// walk in progress keeps its place and nothing is skipped. Holes are squeezed out when they
// make up half the list, never during a walk. The index answers findObject as a scan of the list
// would: the first object in list order with the id.
#include <algorithm>
#include <iterator>

#include "core/core.h"
#include "objects/object.h"

void Core::appendObject(Object* object) {
    objects.push_back(object);
    object->listSlot = objects.size() - 1;
    try {
        indexObject(object);
    } catch (...) {
        objects.pop_back();
        throw;
    }
}

void Core::detachObject(Object* object) {
    if (object == objectAtHand) {
        objectAtHand = nullptr;
    }
    unindexObject(object);
    objects[object->listSlot] = nullptr;
    object->listSlot = kDetached;
    ++holes;
    dropLocks(object);
}

void Core::destroyObject(Object* object) {
    if (walkDepth > 0) {
        doomedObjects.push_back(object);  // its update may be running: destroyed when the walk ends
        return;
    }
    delete object;
    if (holes > objects.size() / 2) {
        compactObjects();
    }
}

void Core::compactObjects() {
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

void Core::indexObject(Object* object) {
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

void Core::unindexObject(Object* object) {
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

void Core::setObjectId(Object* object, int id) {
    unindexObject(object);
    object->id = id;
    indexObject(object);
}

std::vector<Object*> Core::getObjects() const {
    std::vector<Object*> live;
    live.reserve(objects.size() - holes);
    std::copy_if(objects.begin(), objects.end(), std::back_inserter(live),
                 [](const Object* object) { return object != nullptr; });
    return live;
}

void Core::discardObjects() {
    std::vector<Object*> listed;
    listed.swap(objects);  // destructors of host objects may call back into the Core
    objectsById.clear();
    objectAtHand = nullptr;
    holes = 0;
    for (Object* object : listed) {
        if (object != nullptr) {
            object->listSlot = kDetached;
            dropLocks(object);
            destroyObject(object);
        }
    }
}
