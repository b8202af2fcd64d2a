// The anchor slots against what they must do for the threads they keep: hold each value alive
// until it is let go, then let the collector have it, and hand freed references out again, so
// that creating and ending threads forever takes no more slots than were ever alive at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/anchor_slots.h"

namespace {

class AnchorSlotsTest : public ::testing::Test {
protected:
    AnchorSlotsTest() {
        lua_createtable(L, 0, 0);  // 1: the anchor table
        lua_createtable(L, 0, 0);  // 2: every value anchored, held weakly, to count the living
        lua_createtable(L, 0, 1);
        lua_pushliteral(L, "k");
        lua_setfield(L, -2, "__mode");
        lua_setmetatable(L, -2);
    }
    ~AnchorSlotsTest() override { lua_close(L); }

    int anchorNewTable() {
        lua_createtable(L, 0, 0);
        lua_pushvalue(L, -1);
        lua_pushboolean(L, 1);
        lua_rawset(L, 2);
        return slots.add(L, 1);
    }
    size_t living() {
        lua_gc(L, LUA_GCCOLLECT, 0);
        size_t count = 0;
        for (lua_pushnil(L); lua_next(L, 2) != 0; lua_pop(L, 1)) {
            ++count;
        }
        return count;
    }

    lua_State* L = luaL_newstate();
    AnchorSlots slots;
};

TEST_F(AnchorSlotsTest, KeepsValuesUntilLetGoAndHandsFreedReferencesOutAgain) {
    constexpr int kMostAlive = 3 * AnchorSlots::kBlockSize + 10;
    std::vector<int> alive;
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        while (alive.size() < kMostAlive) {
            const int reference = anchorNewTable();
            ASSERT_GE(reference, 1);
            ASSERT_LE(reference, kMostAlive);  // a freed one, not a new slot
            ASSERT_EQ(std::count(alive.begin(), alive.end(), reference), 0);
            alive.push_back(reference);
        }
        EXPECT_EQ(living(), alive.size());
        std::shuffle(alive.begin(), alive.end(), random);
        for (size_t keep = random() % alive.size(); alive.size() > keep; alive.pop_back()) {
            slots.remove(L, 1, alive.back());
        }
        EXPECT_EQ(living(), alive.size());
    }
    slots.remove(L, 1, LUA_NOREF);
    EXPECT_EQ(living(), alive.size());
}

}  // namespace
