// The memory of one Lua state. Scripts make and drop small blocks all the time (every event
// table "pause" returns is two of them), so blocks up to kLargestPooled bytes (a thread's stack
// and call records among them) come from free lists of equal-sized blocks, which makes and frees
// them in a few instructions. Larger blocks go to the C heap. Freed small blocks are kept for
// reuse by the same state; the regions they are cut from serve the states after a reset too,
// and return to the system with the LuaMemory.
//
// A block that no free list holds is cut from the end of the newest region, whatever its size,
// so what is made together lies together: a script thread's state, stack and call records lie
// side by side, and waking the thread reads them in one sweep instead of from all over the
// heap. Regions are large pages where the system gives them, so that the many threads of a
// large game need few address translations.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

class LuaMemory {
public:
    static constexpr size_t kLargestPooled = 1024;

    LuaMemory() = default;
    ~LuaMemory();
    LuaMemory(const LuaMemory&) = delete;
    LuaMemory& operator=(const LuaMemory&) = delete;

    // Lua's allocation function (lua_Alloc) with a LuaMemory as `memory`: frees `block` when
    // `newSize` is 0, otherwise returns a block of `newSize` bytes that starts with the first
    // min(oldSize, newSize) bytes of `block`, or null, leaving `block` as it was, when there is
    // no memory for it.
    static void* reallocate(void* memory, void* block, size_t oldSize, size_t newSize);

    // While on, small blocks are cut from the region rather than taken from a free list, so
    // that what is made meanwhile lies together (a script thread and what its file makes), as
    // long as the free lists hold less than a quarter of all that was cut: keeping together
    // never leaves more than that unused.
    void keepTogether(bool on) { together = on; }
    // Keeps together what is made while it lives: the one way the engine switches it, so that
    // no way out (a failure, an exception) leaves it on.
    class Together {
    public:
        explicit Together(LuaMemory& memory) : memory(memory) { memory.keepTogether(true); }
        ~Together() { memory.keepTogether(false); }
        Together(const Together&) = delete;
        Together& operator=(const Together&) = delete;

    private:
        LuaMemory& memory;
    };
    // Forgets every block: for when the Lua state has closed and freed them all. The regions are
    // cut afresh from the first.
    void rewind();

private:
    static constexpr size_t kGranule = 16;  // pooled sizes are multiples of this
    static constexpr size_t kRegionBytes = 2 * 1024 * 1024;  // platform::kLargePageBytes

    struct RegionDelete {
        void operator()(std::byte* region) const;
    };

    struct FreeBlock {
        FreeBlock* next;
    };

    static size_t sizeClass(size_t size) { return (size + kGranule - 1) / kGranule - 1; }
    static size_t blockBytes(size_t sizeClass) { return (sizeClass + 1) * kGranule; }
    void* allocate(size_t size);
    void release(void* block, size_t size);
    bool nextRegion();

    std::array<FreeBlock*, kLargestPooled / kGranule> freeBlocks{};
    std::vector<std::unique_ptr<std::byte[], RegionDelete>> regions;
    size_t regionsCut = 0;        // regions[regionsCut - 1] is the one being cut
    std::byte* unused = nullptr;  // its part not yet cut into blocks
    size_t unusedBytes = 0;
    size_t cutBytes = 0;   // all blocks cut from the regions
    size_t freeBytes = 0;  // the blocks in the free lists
    bool together = false;
};
