// The id index against a plain map, through sets and erases that exercise probing runs:
// crowded ranges, ids that share a home slot, the ends of the int range, and growth.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <unordered_map>

#include "core/objects_by_id.h"

namespace {

TEST(ObjectsByIdTest, AgreesWithAMapThroughRandomSetsAndErases) {
    std::mt19937 random(7);
    const std::function<int()> idKinds[] = {
        [&] { return static_cast<int>(random() % 17) - 8; },       // a crowded range
        [&] { return static_cast<int>(random() % 5000) - 2500; },  // growth
        [&] { return static_cast<int>(random() % 3000) * 4096; },  // one home for many
        [&] { return random() % 2 ? INT_MIN + static_cast<int>(random() % 4)
                                  : INT_MAX - static_cast<int>(random() % 4); },
    };
    for (const auto& nextId : idKinds) {
        ObjectsById index;
        std::unordered_map<int, Object*> expected;
        std::vector<int> used;
        for (uintptr_t step = 1; step <= 20000; ++step) {
            const int id = nextId();
            used.push_back(id);
            auto* object = reinterpret_cast<Object*>(step * 16);
            if (step % 3 == 0) {
                index.erase(id);
                expected.erase(id);
            } else {
                index.set(id, object);
                expected[id] = object;
            }
        }
        ASSERT_EQ(index.size(), expected.size());
        for (int id : used) {
            ASSERT_EQ(index.find(id), expected.count(id) ? expected[id] : nullptr) << id;
        }
        index.clear();
        EXPECT_EQ(index.find(used.back()), nullptr);
    }
}

}  // namespace
