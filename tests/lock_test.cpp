// Pausing and waiting: when a waiting script resumes, what a second waiter or a re-pause does,
// and what becomes of events when objects are deleted, inside a frame's walk or outside it.
#include <gmock/gmock.h>

#include <new>

#include "core/lock.h"
#include "core_fixture.h"

using ::testing::ElementsAre;

namespace {

// Records every update it gets, then counts its pause down like any object.
struct Probe : Object {
    explicit Probe(std::vector<int>* updates) : updates(updates) {}
    void update(float elapsed) override {
        updates->push_back(getId());
        setNumber("updates", getNumber("updates") + 1);
        Object::update(elapsed);
    }
    std::vector<int>* updates;
};

// Always lives at the same address, as a recycled allocation would.
struct Recycled : Object {
    static void* operator new(size_t size) {
        alignas(std::max_align_t) static unsigned char storage[512];
        return size <= sizeof storage ? storage : throw std::bad_alloc();
    }
    static void operator delete(void*) {}
};

class LockTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        makeHostObject = [this](int type) -> Object* {
            return type == 1 ? static_cast<Object*>(new Probe(&updates)) : new Recycled;
        };
    }
    std::vector<int> updates;
};

TEST_F(LockTest, APauseResumesItsThreadInsideTheUpdateOfTheFrameWhereItRunsOut) {
    struct Case {
        float seconds;
        float frameTime;
        int frame;
    };
    for (const Case& c : {Case{0.5f, 1.0f / 45, 23}, Case{2.0f, 1.0f / 45, 90},
                          Case{0.5f, 0.25f, 2}, Case{0.5f, 0.75f, 1}}) {
        SCOPED_TRACE(c.seconds);
        core.resetScripting();
        Object* sleeper =
            scripted("function main(id) wait(pause(id, " + std::to_string(c.seconds) +
                     ")) state.frame = (getKey(2, 'updates') or 0) + 1 end");  // the probe is
                                                                               // updated after it
        core.createObject(1, "");
        ASSERT_TRUE(sleeper->startThread("main"));
        frames(c.frame - 1, c.frameTime);
        EXPECT_EQ(eval("state.frame"), "nil");
        frames(1, c.frameTime);
        EXPECT_EQ(eval("state.frame"), std::to_string(c.frame));
        EXPECT_EQ(sleeper->getWaitTimer(), 0.0f);
        EXPECT_EQ(core.findLock(sleeper, 0), nullptr);
    }
}

TEST_F(LockTest, PausingAgainRestartsTheTimerOfThePendingLock) {
    Object* object = scripted("function main(id) wait(pause(id, 10)) state.woke = true end");
    ASSERT_TRUE(object->startThread("main"));
    Lock* lock = core.findLock(object, 0);
    lua("pause(1, 0.1)");
    EXPECT_EQ(core.findLock(object, 0), lock);
    EXPECT_FALSE(object->addLock(0));
    frames(5);  // 0.1 s
    EXPECT_EQ(eval("state.woke"), "true");
}

TEST_F(LockTest, OnlyOneThreadWaitsOnAnEvent) {
    Object* first = scripted("function main(id) state.event = pause(id, 1) wait(state.event) end");
    Object* second = scripted("function main() wait(state.event) state.second = 'went on' end");
    ASSERT_TRUE(first->startThread("main"));
    ASSERT_TRUE(second->startThread("main"));
    EXPECT_EQ(eval("state.second"), "went on");
    EXPECT_EQ(core.threadCount(), 1u);
}

TEST_F(LockTest, TablesFromTwoPausesNameTheSameEvent) {
    Object* object = scripted(R"(
        function main(id)
            local a, b = pause(id, 0.05), pause(id, 0.05)
            state.same = a ~= b and a.oid == b.oid and a.eid == b.eid
            wait(b)
            state.woke = true
        end
    )");
    ASSERT_TRUE(object->startThread("main"));
    EXPECT_EQ(eval("state.same"), "true");
    frames(3);
    EXPECT_EQ(eval("state.woke"), "true");
}

TEST_F(LockTest, APauseOfZeroOrLessNeverEnds) {
    for (const char* seconds : {"0", "-1", "0/0", "-1e300"}) {
        SCOPED_TRACE(seconds);
        core.resetScripting();
        Object* object = scripted("function main(id) wait(pause(id, " + std::string(seconds) +
                                  ")) state.woke = true end");
        ASSERT_TRUE(object->startThread("main"));
        frames(200);
        EXPECT_EQ(eval("state.woke"), "nil");
        EXPECT_NE(core.findLock(object, 0)->thread, nullptr);
    }
}

TEST_F(LockTest, AScriptThatWaitsAgainGetsAFreshLockEachTime) {
    Object* object = scripted(R"(
        function main(id)
            while true do wait(pause(id, 0.05)) state.n = (state.n or 0) + 1 end
        end
    )");
    ASSERT_TRUE(object->startThread("main"));
    frames(9);  // each 0.05 s pause ends in its third frame
    EXPECT_EQ(eval("state.n"), "3");
    EXPECT_EQ(core.threadCount(), 1u);
}

TEST_F(LockTest, ADeletedObjectsEventsAreGone) {
    Object* doomed = scripted("function main(id) wait(pause(id, 0.1)) state.woke = true end");
    ASSERT_TRUE(doomed->startThread("main"));
    ASSERT_TRUE(core.deleteObject(1));

    Object* other = scripted("function main() wait({oid = 1, eid = 0}) state.other = true end");
    ASSERT_TRUE(other->startThread("main"));
    EXPECT_EQ(eval("state.other"), "true");  // returns at once: no live object has id 1
    frames(20);
    EXPECT_EQ(eval("state.woke"), "nil");
    EXPECT_EQ(core.threadCount(), 1u);  // the orphaned waiter stays until the next reset
}

TEST_F(LockTest, AnObjectMadeWhereADeletedOneLivedInheritsNoneOfItsEvents) {
    const std::string source = "function main(id) wait(pause(id, 1)) state.woke = id end";
    Object* first = core.createObject(2, script(source));
    ASSERT_TRUE(first->startThread("main"));
    ASSERT_TRUE(core.deleteObject(first->getId()));
    Object* second = core.createObject(2, "");
    ASSERT_EQ(second, first);  // same address

    EXPECT_EQ(core.findLock(second, 0), nullptr);
    EXPECT_TRUE(second->addLock(0));
    second->releaseLock(0);
    EXPECT_EQ(eval("state.woke"), "nil");
}

TEST_F(LockTest, AResumedScriptMayDeleteItsOwnObject) {
    Object* object = scripted(R"(
        function main(id)
            wait(pause(id, 0.01))
            state.deleted = deleteObject(id)
            state.again = deleteObject(id)
        end
    )");
    core.createObject(1, "");
    ASSERT_TRUE(object->startThread("main"));
    frames(2);
    EXPECT_EQ(eval("state.deleted"), "true");
    EXPECT_EQ(eval("state.again"), "false");
    EXPECT_EQ(core.findObject(1), nullptr);
    EXPECT_EQ(core.threadCount(), 0u);
    EXPECT_THAT(updates, ElementsAre(2, 2));
}

TEST_F(LockTest, DeletionsDuringTheWalkSkipNoObjectAndTouchNoFreedOne) {
    core.createObject(1, "");  // 1
    Object* deleter = scripted(R"(
        function main(id)
            wait(pause(id, 0.01))
            deleteObject(1) deleteObject(id) deleteObject(3)
        end
    )");                       // 2
    core.createObject(1, "");  // 3
    core.createObject(1, "");  // 4
    ASSERT_TRUE(deleter->startThread("main"));
    frames(1);
    EXPECT_THAT(updates, ElementsAre(1, 4));
    frames(1);
    EXPECT_THAT(updates, ElementsAre(1, 4, 4));
}

TEST_F(LockTest, ObjectsCreatedDuringTheWalkAreUpdatedInTheSameFrame) {
    Object* maker = scripted(R"(
        function main(id)
            wait(pause(id, 0.01))
            for i = 1, 2000 do newObject(1, "") end
        end
    )");
    ASSERT_TRUE(maker->startThread("main"));
    frames(1);
    EXPECT_EQ(updates.size(), 2000u);
    EXPECT_EQ(updates.front(), 2);
    EXPECT_EQ(updates.back(), 2001);
}

TEST_F(LockTest, AHostObjectMayResetTheCoreFromItsOwnUpdate) {
    struct Resetter : Object {
        void update(float) override { getCore()->resetScripting(); }
    };
    makeHostObject = [](int) { return new Resetter; };
    core.createObject(1, "");
    core.createObject(1, "");
    frames(1);
    EXPECT_TRUE(core.getObjects().empty());
    EXPECT_EQ(core.createObject(0, "")->getId(), 1);
}

TEST_F(LockTest, AScriptErrorInsideTheWalkLeavesTheCoreConsistent) {
    Object* failing = scripted(R"(
        function main(id)
            wait(pause(id, 0.01))
            deleteObject(id)
            error('after deleting itself')
        end
    )");
    core.createObject(1, "");
    ASSERT_TRUE(failing->startThread("main"));
    fatalError([&] { frames(1); });
    EXPECT_EQ(core.threadCount(), 0u);
    frames(1);
    EXPECT_THAT(updates, ElementsAre(2));  // the frame ended at the error
    EXPECT_EQ(core.getObjects().size(), 1u);
}

}  // namespace
