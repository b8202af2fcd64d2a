#include "core/lua_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// In the sanitizer build a pooled block that is free (or not yet handed out) is poisoned, so the
// sanitizer reports any use of one as it would for the C heap's freed memory.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

LuaMemory::~LuaMemory() {
    for (const auto& slab : slabs) {
        ASAN_UNPOISON_MEMORY_REGION(slab.get(), kSlabBytes);
    }
}

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
    ASAN_UNPOISON_MEMORY_REGION(block, blockBytes(sizeClass));
    freeBlocks[sizeClass] = block->next;
    return block;
}

void LuaMemory::release(void* block, size_t size) {
    const size_t sizeClass = LuaMemory::sizeClass(size);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = freeBlocks[sizeClass];
    freeBlocks[sizeClass] = freed;
    ASAN_POISON_MEMORY_REGION(block, blockBytes(sizeClass));
}

// Cuts a fresh slab into blocks of the class and lists them, lowest address first.
bool LuaMemory::addSlab(size_t sizeClass) {
    const size_t blockBytes = LuaMemory::blockBytes(sizeClass);
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
    ASAN_POISON_MEMORY_REGION(slab.get(), kSlabBytes);
    slabs.back() = std::move(slab);
    return true;
}
