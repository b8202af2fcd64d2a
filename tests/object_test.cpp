// Objects and their keys, and what a reset keeps and discards.
#include <gmock/gmock.h>

#include "core_fixture.h"

namespace {

struct HostObject : Object {
    explicit HostObject(int* destroyed) : destroyed(destroyed) {}
    ~HostObject() override { ++*destroyed; }
    int* destroyed;
};

int answerSeven(lua_State* L) {
    lua_pushnumber(L, 7);
    return 1;
}

using ObjectTest = CoreTest;

TEST_F(ObjectTest, IdsCountFromOneAndAreNeitherReusedNorSpentOnFailures) {
    int destroyed = 0;
    makeHostObject = [&](int type) -> Object* {
        return type == 3 ? new HostObject(&destroyed) : nullptr;
    };
    EXPECT_EQ(core.createObject(0, "")->getId(), 1);
    EXPECT_EQ(core.createObject(5, "a.lua"), nullptr);  // the factory knows no type 5
    Object* host = core.createObject(3, "b.lua");
    EXPECT_EQ(host->getId(), 2);
    EXPECT_EQ(host->getType(), 3);
    EXPECT_EQ(host->getScript(), "b.lua");
    EXPECT_EQ(host->getCore(), &core);

    EXPECT_TRUE(core.deleteObject(2));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(core.deleteObject(2));
    EXPECT_EQ(core.findObject(2), nullptr);
    EXPECT_EQ(core.createObject(0, "")->getId(), 3);
    EXPECT_EQ(core.getObjects().size(), 2u);
}

TEST_F(ObjectTest, ManyDeletionsKeepTheListInCreationOrder) {
    for (int i = 0; i < 100; ++i) {
        core.createObject(0, "");
    }
    for (int id = 1; id <= 100; ++id) {
        if (id % 3 != 0) {
            ASSERT_TRUE(core.deleteObject(id));
        }
    }
    std::vector<int> ids;
    for (Object* object : core.getObjects()) {
        ids.push_back(object->getId());
        EXPECT_EQ(core.findObject(object->getId()), object);
    }
    EXPECT_EQ(ids.size(), 33u);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST_F(ObjectTest, RepeatedIdsFindTheFirstObjectInListOrder) {
    Object* objects[4];
    for (Object*& object : objects) {
        object = core.createObject(0, "");
    }
    core.setObjectId(objects[3], 7);
    core.setObjectId(objects[1], 7);
    core.setObjectId(objects[2], 7);
    EXPECT_EQ(core.findObject(7), objects[1]);
    EXPECT_TRUE(core.deleteObject(7));
    EXPECT_EQ(core.findObject(7), objects[2]);
    EXPECT_TRUE(core.deleteObject(7));
    EXPECT_EQ(core.findObject(7), objects[3]);
    EXPECT_EQ(core.findObject(2), nullptr);  // the old ids are free
    EXPECT_EQ(core.findObject(1), objects[0]);
}

TEST_F(ObjectTest, SettingAKeyReplacesWhateverItHeld) {
    Object* object = core.createObject(0, "");
    object->setNumber("k", 3);
    object->setString("k", "three");
    ASSERT_NE(object->getKey("k"), nullptr);
    EXPECT_EQ(object->getKey("k")->type, KeyType::STRING);
    EXPECT_EQ(object->getString("k"), "three");
    object->setBool("k", true);
    EXPECT_TRUE(object->getBool("k"));
    EXPECT_EQ(object->getKey("missing"), nullptr);

    // Asking for another type than the key holds gives the zero value, not garbage.
    EXPECT_EQ(object->getNumber("k"), 0.0);
    EXPECT_EQ(object->getString("missing"), "");
}

TEST_F(ObjectTest, ObjectsReferToEachOtherByTruncatedId) {
    Object* a = core.createObject(0, "");
    core.createObject(0, "");
    Object* c = core.createObject(0, "");
    a->setObject("friend", c);
    EXPECT_EQ(a->getObject("friend"), c);
    a->setNumber("friend", 3.9);
    EXPECT_EQ(a->getObject("friend"), c);
    a->setNumber("friend", -0.5);  // id 0 is never given
    EXPECT_EQ(a->getObject("friend"), nullptr);
    a->setNumber("friend", 1e300);
    EXPECT_EQ(a->getObject("friend"), nullptr);
    EXPECT_EQ(a->getObject("nobody"), nullptr);
}

TEST_F(ObjectTest, ResetDiscardsObjectsAndScriptsButKeepsTimeAndRegisteredFunctions) {
    int destroyed = 0;
    makeHostObject = [&](int) { return new HostObject(&destroyed); };
    core.createObject(1, "");
    core.createObject(1, "");
    core.registerFunction("answer", answerSeven);
    EXPECT_EQ(eval("answer"), "nil");  // registered functions arrive with the next reset
    lua("shared = 1");
    frames(3, 0.5f);

    core.resetScripting();
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(core.getObjects().empty());
    EXPECT_EQ(core.createObject(0, "")->getId(), 1);
    EXPECT_EQ(core.getTime(), 1.5f);
    EXPECT_EQ(eval("answer()"), "7");
    EXPECT_EQ(eval("shared"), "nil");
    EXPECT_EQ(eval("next(state)"), "nil");
}

}  // namespace
