// The memory of one Lua state. Scripts make and drop small blocks all the time (every event
// table "pause" returns is two of them), so blocks up to kLargestPooled bytes come from free
// lists of equal-sized blocks carved out of slabs, which makes and frees them in a few
// instructions. Larger blocks go to the C heap. Freed small blocks are kept for reuse by the
// same state (and the states after a reset) and return to the system with the LuaMemory.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

class LuaMemory {
public:
    static constexpr size_t kLargestPooled = 256;

    LuaMemory() = default;
    ~LuaMemory();
    LuaMemory(const LuaMemory&) = delete;
    LuaMemory& operator=(const LuaMemory&) = delete;

    // Lua's allocation function (lua_Alloc) with a LuaMemory as `memory`: frees `block` when
    // `newSize` is 0, otherwise returns a block of `newSize` bytes that starts with the first
    // min(oldSize, newSize) bytes of `block`, or null, leaving `block` as it was, when there is
    // no memory for it.
    static void* reallocate(void* memory, void* block, size_t oldSize, size_t newSize);

private:
    static constexpr size_t kGranule = 16;  // pooled sizes are multiples of this
    static constexpr size_t kSlabBytes = 64 * 1024;

    struct FreeBlock {
        FreeBlock* next;
    };

    static size_t sizeClass(size_t size) { return (size + kGranule - 1) / kGranule - 1; }
    static size_t blockBytes(size_t sizeClass) { return (sizeClass + 1) * kGranule; }
    void* allocate(size_t size);
    void release(void* block, size_t size);
    bool addSlab(size_t sizeClass);

    std::array<FreeBlock*, kLargestPooled / kGranule> freeBlocks{};
    std::vector<std::unique_ptr<std::byte[]>> slabs;
};
