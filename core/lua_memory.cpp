#include "core/lua_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

void* LuaMemory::reallocate(void* memory, void* block, size_t oldSize, size_t newSize) {
    auto& self = *static_cast<LuaMemory*>(memory);
    if (block == nullptr) {
        oldSize = 0;  // Lua does not promise 0 here
    }
    const bool wasPooled = block != nullptr && oldSize <= kLargestPooled;
    const bool pooled = newSize <= kLargestPooled;
    if (newSize == 0) {
        if (wasPooled) {
            self.release(block, oldSize);
        } else {
            std::free(block);
        }
        return nullptr;
    }
    if (block == nullptr) {
        return pooled ? self.allocate(newSize) : std::malloc(newSize);
    }
    if (wasPooled && pooled && sizeClass(oldSize) == sizeClass(newSize)) {
        return block;
    }
    if (!wasPooled && !pooled) {
        return std::realloc(block, newSize);
    }
    void* moved = pooled ? self.allocate(newSize) : std::malloc(newSize);
    if (moved == nullptr) {
        return nullptr;
    }
    std::memcpy(moved, block, std::min(oldSize, newSize));
    if (wasPooled) {
        self.release(block, oldSize);
    } else {
        std::free(block);
    }
    return moved;
}

void* LuaMemory::allocate(size_t size) {
    const size_t sizeClass = LuaMemory::sizeClass(size);
    if (freeBlocks[sizeClass] == nullptr && !addSlab(sizeClass)) {
        return nullptr;
    }
    FreeBlock* block = freeBlocks[sizeClass];
    freeBlocks[sizeClass] = block->next;
    return block;
}

void LuaMemory::release(void* block, size_t size) {
    const size_t sizeClass = LuaMemory::sizeClass(size);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = freeBlocks[sizeClass];
    freeBlocks[sizeClass] = freed;
}

// Cuts a fresh slab into blocks of the class and lists them, lowest address first.
bool LuaMemory::addSlab(size_t sizeClass) {
    const size_t blockBytes = (sizeClass + 1) * kGranule;
    std::unique_ptr<std::byte[]> slab(new (std::nothrow) std::byte[kSlabBytes]);
    if (slab == nullptr) {
        return false;
    }
    try {
        slabs.push_back(nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    FreeBlock* next = nullptr;
    for (size_t offset = kSlabBytes / blockBytes * blockBytes; offset > 0;) {
        offset -= blockBytes;
        auto* block = reinterpret_cast<FreeBlock*>(slab.get() + offset);
        block->next = next;
        next = block;
    }
    freeBlocks[sizeClass] = next;
    slabs.back() = std::move(slab);
    return true;
}
