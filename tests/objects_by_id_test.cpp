// The id index against a plain map, through insertions and deletions that exercise probing
// runs: clustered ids, ids that share a home slot, the ends of the int range, and growth.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <unordered_map>

#include "core/objects_by_id.h"

namespace {

Object* fakeObject(int n) {
    return reinterpret_cast<Object*>(static_cast<uintptr_t>(n) * 16 + 16);
}

void expectSame(const ObjectsById& index, const std::unordered_map<int, Object*>& expected,
                int low, int high) {
    ASSERT_EQ(index.size(), expected.size());
    for (int id = low; id <= high; ++id) {
        auto found = expected.find(id);
        ASSERT_EQ(index.find(id), found == expected.end() ? nullptr : found->second) << id;
    }
}

TEST(ObjectsByIdTest, AgreesWithAMapThroughRandomSetsAndErases) {
    std::mt19937 random(7);
    for (int range : {8, 64, 5000}) {  // small ranges crowd the probe runs
        ObjectsById index;
        std::unordered_map<int, Object*> expected;
        std::uniform_int_distribution<int> id(-range, range);
        for (int step = 0; step < 20000; ++step) {
            const int chosen = id(random);
            if (random() % 3 == 0) {
                index.erase(chosen);
                expected.erase(chosen);
            } else {
                index.set(chosen, fakeObject(step));
                expected[chosen] = fakeObject(step);
            }
        }
        expectSame(index, expected, -range - 2, range + 2);
    }
}

TEST(ObjectsByIdTest, StridedAndExtremeIdsAreKeptApart) {
    ObjectsById index;
    std::unordered_map<int, Object*> expected;
    int n = 0;
    for (int id : {INT_MIN, INT_MAX, 0, -1, 1}) {
        index.set(id, fakeObject(++n));
        expected[id] = fakeObject(n);
    }
    for (int id = 0; id < 3000; ++id) {  // multiples of a power of two, as a saved file may hold
        index.set(id * 4096, fakeObject(++n));
        expected[id * 4096] = fakeObject(n);
    }
    for (int id = 0; id < 3000; id += 2) {
        index.erase(id * 4096);
        expected.erase(id * 4096);
    }
    for (int id : {INT_MIN, INT_MAX, 0, -1, 1}) {
        ASSERT_EQ(index.find(id), expected.count(id) ? expected[id] : nullptr) << id;
    }
    for (int id = 0; id < 3000; ++id) {
        ASSERT_EQ(index.find(id * 4096), expected.count(id * 4096) ? expected[id * 4096] : nullptr);
    }
    index.clear();
    EXPECT_EQ(index.find(INT_MAX), nullptr);
    index.reserve(0);
    index.set(3, fakeObject(3));
    EXPECT_EQ(index.find(3), fakeObject(3));
}

}  // namespace
