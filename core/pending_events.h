// The pending events of one object. No two Locks for one event ever stand at once, so the first
// match of a search is the only one, and a search looks only at this object's few events,
// however many objects wait. The first Lock lives inside the object, on the cache line the frame
// walk reads anyway; the rare others beside it.
#pragma once

#include <utility>
#include <vector>

#include "lock.h"

class PendingEvents {
public:
    // The Lock for `eventId`, or null.
    Lock* find(int eventId) {
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
    // Adds a Lock for (`owner`, `eventId`); false when one is pending already.
    bool add(Object* owner, int eventId) {
        if (find(eventId) != nullptr) {
            return false;
        }
        if (first.object == nullptr) {
            first = Lock(owner, eventId);
        } else {
            more.emplace_back(owner, eventId);
        }
        return true;
    }
    // Takes out `lock`, one of these, and returns it.
    Lock take(Lock& lock) {
        const Lock taken = lock;
        if (!more.empty()) {
            lock = more.back();
            more.pop_back();
        } else {
            lock = Lock(nullptr, 0);  // it was the first, and the only one
        }
        return taken;
    }
    // Takes out every Lock, then hands each to `each`, the first first. Allocates nothing, so
    // it serves an object's deletion too.
    template <typename Each>
    void takeAll(Each&& each) {
        const Lock taken = std::exchange(first, Lock(nullptr, 0));
        std::vector<Lock> others;
        others.swap(more);
        if (taken.object != nullptr) {
            each(taken);
        }
        for (const Lock& lock : others) {
            each(lock);
        }
    }
    // The first pending Lock; its object is null while none is pending.
    const Lock& front() const { return first; }

private:
    Lock first{nullptr, 0};
    std::vector<Lock> more;
};
