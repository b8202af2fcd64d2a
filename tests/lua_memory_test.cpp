// The memory a Core's Lua state lives in: moves between block sizes keep the contents, and freed
// blocks are reused. (Every script test runs on it too.)
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <set>
#include <vector>

#include "core/lua_memory.h"

namespace {

TEST(LuaMemoryTest, ResizingKeepsTheContentsAcrossEverySizeBoundary) {
    LuaMemory memory;
    const size_t sizes[] = {1, 16, 17, 200, 1024, 1025, 4000, 40, 1, 300, 2};
    std::vector<unsigned char> pattern(4000);
    std::iota(pattern.begin(), pattern.end(), 0);
    void* block = LuaMemory::reallocate(&memory, nullptr, 0, sizes[0]);
    std::memcpy(block, pattern.data(), sizes[0]);
    for (size_t step = 1; step < std::size(sizes); ++step) {
        const size_t kept = std::min(sizes[step - 1], sizes[step]);
        block = LuaMemory::reallocate(&memory, block, sizes[step - 1], sizes[step]);
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(std::memcmp(block, pattern.data(), kept), 0) << "to " << sizes[step];
        std::memcpy(block, pattern.data(), sizes[step]);
    }
    EXPECT_EQ(LuaMemory::reallocate(&memory, block, sizes[std::size(sizes) - 1], 0), nullptr);
}

#if defined(__SANITIZE_ADDRESS__)
TEST(LuaMemoryTest, TheSanitizerSeesAFreedSmallBlockUsed) {
    LuaMemory memory;
    auto* block = static_cast<volatile char*>(LuaMemory::reallocate(&memory, nullptr, 0, 40));
    block[39] = 1;
    LuaMemory::reallocate(&memory, const_cast<char*>(block), 40, 0);
    EXPECT_DEATH(block[39] = 2, "use-after-poison");
}
#endif

TEST(LuaMemoryTest, FreedSmallBlocksAreReusedAndLiveOnesNeverShared) {
    LuaMemory memory;
    std::vector<void*> blocks;
    for (int i = 0; i < 30000; ++i) {  // more than one region
        blocks.push_back(LuaMemory::reallocate(&memory, nullptr, 0, 48));
        std::memset(blocks.back(), i & 0xFF, 48);
    }
    for (int i = 0; i < 30000; ++i) {
        const auto* bytes = static_cast<unsigned char*>(blocks[i]);
        ASSERT_TRUE(bytes[0] == (i & 0xFF) && bytes[47] == (i & 0xFF)) << i;
    }
    void* freed = blocks[1234];
    LuaMemory::reallocate(&memory, freed, 48, 0);
    EXPECT_EQ(LuaMemory::reallocate(&memory, nullptr, 0, 33), freed);  // same size class
}

TEST(LuaMemoryTest, BlocksKeptTogetherStillReuseMostOfWhatWasFreed) {
    LuaMemory memory;
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i) {
        blocks.push_back(LuaMemory::reallocate(&memory, nullptr, 0, 720));
    }
    const std::set<void*> freed(blocks.begin(), blocks.end());
    for (void* block : blocks) {
        LuaMemory::reallocate(&memory, block, 720, 0);
    }
    memory.keepTogether(true);
    int reused = 0;
    for (int i = 0; i < 1000; ++i) {
        reused += freed.count(LuaMemory::reallocate(&memory, nullptr, 0, 720)) != 0 ? 1 : 0;
    }
    EXPECT_GE(reused, 740);  // all but what brings the free blocks down to a quarter of all
    EXPECT_LT(reused, 1000);

    memory.rewind();  // as when the state has closed: everything is cut afresh from the start
    EXPECT_EQ(LuaMemory::reallocate(&memory, nullptr, 0, 720), blocks.front());
}

}  // namespace
