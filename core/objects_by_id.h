// The Core's index from object id to the first live object with that id. Scripts name objects
// by id in nearly every call, so this is an open-addressing table: one multiply to hash, and
// the probe stays within a cache line or two, where a node-based map chases a pointer per look.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Object;

class ObjectsById {
public:
    // The object stored for `id`, or null.
    Object* find(int id) const;
    // Stores `object` (not null) for `id`, replacing what was stored.
    void set(int id, Object* object);
    // Forgets `id`; nothing happens when it is not stored.
    void erase(int id);
    void clear();
    // Room for `count` ids without growing.
    void reserve(size_t count);
    size_t size() const { return count; }

private:
    struct Slot {
        int id = 0;
        Object* object = nullptr;  // null: the slot is free
    };

    size_t home(int id) const;
    size_t next(size_t index) const { return (index + 1) & (slots.size() - 1); }
    void growTo(size_t capacity);

    std::vector<Slot> slots;  // a power of two in size, at most half full; empty before use
    size_t count = 0;
    int shift = 64;
};
