// The live game objects in list (creation) order, the id index beside them, the objects deleted
// during a frame walk, and the walk itself. The list owns every listed object.
//
// A deleted object leaves a null hole in the list rather than shifting the others, so a walk in
// progress keeps its place and nothing is skipped. Holes are squeezed out when they make up half
// the list, never during a walk. The index answers find as a scan of the list would: the first
// object in list order with the id (ids repeat only when a state file says so).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "object.h"
#include "objects_by_id.h"
#include "pause_countdowns.h"

class Core;

class ObjectList {
public:
    // Makes an object of a host type (any type number but 0); null for a type it does not know.
    using Factory = std::function<Object*(int type)>;

    ObjectList() = default;
    // Destroys the objects still listed, and those a walk left doomed.
    ~ObjectList();
    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;

    // An object of `type` (plain for 0, else the factory's) with this identity, not listed;
    // null when the factory makes none.
    static std::unique_ptr<Object> make(const Factory& factory, Core* core, int type,
                                        const std::string& script, int id);
    // The pending events of `object`, whose rules are the Core's (locks.cpp).
    static PendingEvents& eventsOf(Object& object) { return object.events; }

    // Lists `object` (made by make, not listed) last; the list owns it from then on.
    void append(Object* object);
    // Takes a listed object out of the list and the index. Its events stay for the caller.
    void detach(Object* object);
    // Destroys a detached object, at once or, during a walk, when the walk ends (its update may
    // be running).
    void destroy(Object* object);
    // Detaches every object and hands each to `discard`, which destroys it or has it destroyed.
    // Objects listed meanwhile (by destructors of host objects) stay.
    void detachAll(const std::function<void(Object*)>& discard);

    bool isListed(const Object& object) const { return object.listSlot != kDetached; }
    // The first live object in list order with this id, or null.
    Object* find(int id) const {
        if (objectAtHand != nullptr && objectAtHand->id == id && objectAtHand->firstWithId) {
            return objectAtHand;
        }
        return objectsById.find(id);
    }
    void setId(Object* object, int id);
    // The live objects in list order.
    std::vector<Object*> live() const;
    size_t size() const { return objects.size() - holes; }
    // Room in the index for `count` objects.
    void reserve(size_t count);

    // Updates every object in list order, objects appended meanwhile included.
    void walk(float elapsed);

    // The object whose event is being signalled while its waiter runs (or whose thread starts):
    // find answers it without a look in the index. Null or a listed object: its detachment
    // clears it.
    void setAtHand(Object* object) { objectAtHand = object; }

private:
    static constexpr size_t kDetached = static_cast<size_t>(-1);  // listSlot of a deleted object

    // Gives the object in `slot` its countdown there, or none: a host type keeps its own.
    void takeTimer(size_t slot);
    // Hands a plain Object's timer back to it, as it leaves `slot`.
    void returnTimer(size_t slot);
    // How far ahead the walk asks for an object, for its thread and for its first key's value,
    // in steps: multiples of PauseCountdowns::kRun, the slots it looks at each time
    // (lookAhead).
    static constexpr size_t kObjectAhead = 64;
    static constexpr size_t kWaiterAhead = 32;
    static constexpr size_t kValueAhead = 16;
    // What the countdowns of the runs between the walk and its farthest look ahead said, by
    // run, as PauseCountdowns::attention gives it.
    using AheadRuns = std::array<unsigned, kObjectAhead / PauseCountdowns::kRun>;
    void lookAhead(size_t slot, float elapsed, AheadRuns& ahead);
    void compact();
    void index(Object* object);
    void unindex(Object* object);
    static void prefetchWaiter(const Object& object);
    void endWalk();

    std::vector<Object*> objects;  // creation order; null where one was deleted
    PauseCountdowns countdowns;    // beside `objects`, slot for slot
    size_t holes = 0;              // null entries in `objects`
    ObjectsById objectsById;
    Object* objectAtHand = nullptr;
    int walkDepth = 0;                   // walks under way
    std::vector<Object*> doomedObjects;  // deleted during a walk, destroyed when it ends
};
