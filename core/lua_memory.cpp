#include "core/lua_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/os.h"

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
    for (const auto& region : regions) {
        ASAN_UNPOISON_MEMORY_REGION(region.get(), kRegionBytes);
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
    const size_t bytes = blockBytes(sizeClass);
    FreeBlock* block = freeBlocks[sizeClass];
    if (block != nullptr && (!together || freeBytes > cutBytes / 4)) {
        ASAN_UNPOISON_MEMORY_REGION(block, bytes);
        freeBlocks[sizeClass] = block->next;
        freeBytes -= bytes;
        __builtin_prefetch(block->next);  // freed long ago, likely: fetched before it is wanted
        return block;
    }
    if (unusedBytes < bytes && !nextRegion()) {
        return nullptr;
    }
    void* cut = unused;
    unused += bytes;
    unusedBytes -= bytes;
    cutBytes += bytes;
    ASAN_UNPOISON_MEMORY_REGION(cut, bytes);
    return cut;
}

void LuaMemory::release(void* block, size_t size) {
    const size_t sizeClass = LuaMemory::sizeClass(size);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = freeBlocks[sizeClass];
    freeBlocks[sizeClass] = freed;
    freeBytes += blockBytes(sizeClass);
    ASAN_POISON_MEMORY_REGION(block, blockBytes(sizeClass));
}

void LuaMemory::rewind() {
    freeBlocks.fill(nullptr);
    for (const auto& region : regions) {
        ASAN_POISON_MEMORY_REGION(region.get(), kRegionBytes);
    }
    regionsCut = 0;
    unused = nullptr;
    unusedBytes = 0;
    cutBytes = 0;
    freeBytes = 0;
}

// The rest of the region being cut, too small for the block asked for, is left unused: at most
// kLargestPooled bytes of a region.
bool LuaMemory::nextRegion() {
    static_assert(kRegionBytes % platform::kLargePageBytes == 0);
    if (regionsCut == regions.size()) {
        std::unique_ptr<std::byte[], RegionDelete> region(
            static_cast<std::byte*>(::operator new[](
                kRegionBytes, std::align_val_t{platform::kLargePageBytes}, std::nothrow)));
        if (region == nullptr) {
            return false;
        }
        try {
            regions.push_back(nullptr);
        } catch (const std::bad_alloc&) {
            return false;
        }
        platform::adviseLargePages(region.get(), kRegionBytes);
        ASAN_POISON_MEMORY_REGION(region.get(), kRegionBytes);
        regions.back() = std::move(region);
    }
    unused = regions[regionsCut++].get();
    unusedBytes = kRegionBytes;
    return true;
}

void LuaMemory::RegionDelete::operator()(std::byte* region) const {
    ::operator delete[](region, std::align_val_t{platform::kLargePageBytes});
}
