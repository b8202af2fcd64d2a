#include "core/objects_by_id.h"

#include <algorithm>
#include <bit>
#include <utility>

// Fibonacci hashing: the top bits of the id times 2^64 / golden ratio. Consecutive ids, the
// common case, land spread out rather than in one run.
size_t ObjectsById::home(int id) const {
    return static_cast<size_t>((static_cast<uint64_t>(static_cast<uint32_t>(id)) *
                                0x9E3779B97F4A7C15u) >>
                               shift);
}

Object* ObjectsById::find(int id) const {
    if (count == 0) {
        return nullptr;
    }
    for (size_t index = home(id);; index = next(index)) {
        const Slot& slot = slots[index];
        if (slot.object == nullptr || slot.id == id) {
            return slot.object;
        }
    }
}

void ObjectsById::set(int id, Object* object) {
    if ((count + 1) * 2 > slots.size()) {
        growTo(slots.empty() ? 16 : slots.size() * 2);
    }
    size_t index = home(id);
    while (slots[index].object != nullptr && slots[index].id != id) {
        index = next(index);
    }
    count += slots[index].object == nullptr ? 1 : 0;
    slots[index] = {id, object};
}

// Linear probing's deletion without tombstones: each later slot of the run moves into the hole
// unless that would put it before its home.
void ObjectsById::erase(int id) {
    if (count == 0) {
        return;
    }
    size_t hole = home(id);
    while (slots[hole].id != id || slots[hole].object == nullptr) {
        if (slots[hole].object == nullptr) {
            return;
        }
        hole = next(hole);
    }
    for (size_t index = next(hole); slots[index].object != nullptr; index = next(index)) {
        const size_t wanted = home(slots[index].id);
        // Moves when its home is not in the cyclic range (hole, index].
        const bool homeAfterHole = hole <= index ? (hole < wanted && wanted <= index)
                                                 : (hole < wanted || wanted <= index);
        if (!homeAfterHole) {
            slots[hole] = slots[index];
            hole = index;
        }
    }
    slots[hole] = Slot{};
    --count;
}

void ObjectsById::clear() {
    slots.clear();
    count = 0;
    shift = 64;
}

void ObjectsById::reserve(size_t wanted) {
    const size_t capacity = std::max<size_t>(16, std::bit_ceil(wanted * 2));
    if (capacity > slots.size()) {
        growTo(capacity);
    }
}

void ObjectsById::growTo(size_t capacity) {
    std::vector<Slot> old = std::exchange(slots, std::vector<Slot>(capacity));
    shift = 64 - std::countr_zero(capacity);
    count = 0;
    for (const Slot& slot : old) {
        if (slot.object != nullptr) {
            set(slot.id, slot.object);
        }
    }
}
