// Objects, their ids and keys, and what a reset keeps and discards.
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

TEST_F(ObjectTest, ObjectsComeAndGoByNumberAndIdsAreNeitherReusedNorSpentOnFailures) {
    int destroyed = 0;
    makeHostObject = [&](int type) -> Object* {
        return type == 3 ? new HostObject(&destroyed) : nullptr;
    };
    lua("state.a, state.b, state.c = newObject(0, 'a.lua'), newObject(4, 'b.lua'), newObject(3, "
        "{})");
    EXPECT_EQ(eval("state.a .. state.b .. state.c"), "102");  // the factory knows no type 4
    EXPECT_EQ(core.findObject(1)->getScript(), "a.lua");
    EXPECT_EQ(core.findObject(2)->getScript(), "");  // a path that is not a string: no script
    EXPECT_EQ(eval("deleteObject(2)"), "true");
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(eval("deleteObject(2)"), "false");
    EXPECT_EQ(eval("newObject(0)"), "3");
}

TEST_F(ObjectTest, DeletionsKeepTheListInCreationOrderAndTheRestFindable) {
    lua("for id = 1, 6 do newObject(0) end");
    ASSERT_TRUE(core.deleteObject(2));
    ASSERT_TRUE(core.deleteObject(5));
    std::vector<int> listed;
    for (Object* object : core.getObjects()) {
        listed.push_back(object->getId());
        EXPECT_EQ(core.findObject(object->getId()), object);
    }
    EXPECT_EQ(listed, (std::vector<int>{1, 3, 4, 6}));
}

TEST_F(ObjectTest, ObjectsReferToEachOtherByTruncatedId) {
    Object* a = core.createObject(0, "");
    core.createObject(0, "");
    Object* c = core.createObject(0, "");
    a->setObject("friend", c);
    EXPECT_EQ(a->getObject("friend"), c);
    // Id 0 is never given; 1e300 is beyond any id.
    for (double id : {3.9, -0.5, 1e300}) {
        a->setNumber("friend", id);
        EXPECT_EQ(a->getObject("friend"), id == 3.9 ? c : nullptr) << id;
    }
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
    EXPECT_EQ(eval("next(state)"), "nil");
}

}  // namespace
