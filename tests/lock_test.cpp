// Pausing and waiting: when a waiting script resumes, what a second waiter or a re-pause does,
// and what becomes of events when objects are deleted, inside a frame's walk or outside it.
#include <gmock/gmock.h>

#include <new>
#include <tuple>

#include "core/lock.h"
#include "core_fixture.h"

using ::testing::ElementsAre;

namespace {

// Records every update it gets, then counts its pause down like any object.
struct Probe : Object {
    explicit Probe(std::vector<int>* updates) : updates(updates) {}
    void update(float elapsed) override {
        updates->push_back(getId());
        Object::update(elapsed);
    }
    std::vector<int>* updates;
};

// Always lives at the same address, as a recycled allocation would.
struct Recycled : Object {
    static void* operator new(size_t size) {
        alignas(Object) static unsigned char storage[512];
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

TEST_F(LockTest, APauseResumesInTheFrameWhereItRunsOutAndAgainAfterARepeat) {
    for (auto [seconds, frameTime, frame] : {std::tuple{0.5f, 1.0f / 45, 23},
                                             {2.0f, 1.0f / 45, 90},
                                             {0.5f, 0.25f, 2},
                                             {0.5f, 0.75f, 1}}) {
        SCOPED_TRACE(seconds);
        core.resetScripting();
        started("function main(id) while true do wait(pause(id, " + std::to_string(seconds) +
                ")) state.woke = (state.woke or 0) + 1 end end");
        frames(frame - 1, frameTime);
        EXPECT_EQ(eval("state.woke"), "nil");
        frames(1, frameTime);
        EXPECT_EQ(eval("state.woke"), "1");
        frames(frame, frameTime);  // the next pause has a lock of its own
        EXPECT_EQ(eval("state.woke"), "2");
    }
}

TEST_F(LockTest, APendingPauseKeepsOneLockOneWaiterAndRestartsItsTimer) {
    Object* object = started(
        "function main(id) state.event = pause(id, 10) wait(state.event) state.woke = 1 end");
    lua("local again = pause(1, 0.1) "
        "state.same = again.oid == state.event.oid and again.eid == state.event.eid");
    EXPECT_EQ(eval("state.same"), "true");
    EXPECT_FALSE(object->addLock(0));  // the pending lock stays the only one

    started("function main() wait(state.event) state.second = 'went on' end");
    EXPECT_EQ(eval("state.second"), "went on");  // only one thread waits on an event
    EXPECT_EQ(core.threadCount(), 1u);
    frames(5);  // 0.1 s
    EXPECT_EQ(eval("state.woke"), "1");
}

TEST_F(LockTest, APauseThatCannotRunDownNeverEnds) {
    for (const char* seconds : {"0", "-1", "0/0", "-1e300", "1e300"}) {
        SCOPED_TRACE(seconds);
        core.resetScripting();
        started("function main(id) wait(pause(id, " + std::string(seconds) +
                ")) state.woke = true end");
        frames(200);
        EXPECT_EQ(eval("state.woke"), "nil");
    }
}

TEST_F(LockTest, ADeletedObjectsEventsAreGoneEvenForAnObjectMadeAtItsAddress) {
    Object* first = core.createObject(2, script("function main(id) wait(pause(id, 0.1)) end"));
    ASSERT_TRUE(first->startThread("main"));
    ASSERT_TRUE(core.deleteObject(1));
    lua("wait({oid = 1, eid = 0}) state.other = true");  // returns at once: no object has id 1
    EXPECT_EQ(eval("state.other"), "true");

    Object* second = core.createObject(2, "");
    ASSERT_EQ(second, first);  // same address
    EXPECT_EQ(core.findLock(second, 0), nullptr);
    EXPECT_TRUE(second->addLock(0));
    second->releaseLock(0);
    frames(20);
    EXPECT_EQ(core.threadCount(), 0u);  // its waiter went with the object
}

TEST_F(LockTest, AnObjectsEventsAreEachReleasedOnceInAnyOrder) {
    Object* events = core.createObject(0, "");  // id 1
    for (int event = 1; event <= 4; ++event) {
        ASSERT_TRUE(events->addLock(event));
        started("function main() wait({oid = 1, eid = " + std::to_string(event) +
                "}) state.order = (state.order or '') .. " + std::to_string(event) + " end");
    }
    EXPECT_FALSE(events->addLock(2));
    for (int event : {3, 1, 3}) {
        events->releaseLock(event);
    }
    EXPECT_EQ(eval("state.order"), "31");
    EXPECT_EQ(core.findLock(events, 3), nullptr);
    EXPECT_NE(core.findLock(events, 4), nullptr);
    EXPECT_TRUE(events->addLock(1));
    ASSERT_TRUE(core.deleteObject(1));
    EXPECT_EQ(core.threadCount(), 0u);  // the waiters on 2 and 4 went with it
}

TEST_F(LockTest, AWokenScriptNamingARepeatedIdReachesTheFirstObjectWithIt) {
    Object* first = core.createObject(0, "");
    Object* woken = started("function main(id) wait(pause(id, 0.01)) pause(1, 5) end");
    core.setObjectId(woken, 1);  // as a state file may: both have id 1 now
    frames(1);
    EXPECT_EQ(first->getWaitTimer(), 5.0f);
    EXPECT_EQ(woken->getWaitTimer(), 0.0f);
}

// A plain object's timer is counted down in the list, a host type's by its own update: the two
// must agree to the bit while the list squeezes out holes, across a save and a load, and when a
// host updates an object itself. The plain objects come in a row, which the walk counts down
// many at a time while none of them runs out, one by one when one does.
TEST_F(LockTest, APlainObjectCountsDownAsAHostObjectDoesWhereverItsTimerIsKept) {
    constexpr int kTwins = 40;
    std::vector<int> doomed;
    for (int type : {0, 1}) {
        for (int twin = 0; twin < kTwins; ++twin) {
            core.createObject(type, "")->pause(0.05f + 0.013f * static_cast<float>(twin));
            for (int hole = 0; hole < 3; ++hole) {
                doomed.push_back(core.createObject(0, "")->getId());
            }
        }
    }
    const auto expectTwinsAgree = [this] {
        const std::vector<Object*> objects = core.getObjects();
        ASSERT_EQ(objects.size(), 2u * kTwins);
        for (size_t twin = 0; twin < kTwins; ++twin) {
            EXPECT_EQ(objects[twin]->getWaitTimer(), objects[twin + kTwins]->getWaitTimer())
                << twin;
        }
    };
    frames(2);
    for (int id : doomed) {  // more than half the list: the holes are squeezed out
        ASSERT_TRUE(core.deleteObject(id));
    }
    expectTwinsAgree();
    frames(7);
    expectTwinsAgree();

    const std::string saved = (dir.path() / "twins.sav").string();
    ASSERT_TRUE(core.saveState(saved));
    frames(5);
    ASSERT_TRUE(core.loadState(saved));
    for (Object* object : core.getObjects()) {
        object->update(0.004f);
    }
    expectTwinsAgree();
    frames(40);
    expectTwinsAgree();
    EXPECT_EQ(core.getObjects().back()->getWaitTimer(), 0.0f);
}

TEST_F(LockTest, AResumedScriptMayDeleteItselfAndOthersWithoutDerailingTheWalk) {
    core.createObject(1, "");  // 1
    started(
        "function main(id) wait(pause(id, 0.01)) state.deleted = deleteObject(1) and "
        "deleteObject(id) and deleteObject(3) state.again = deleteObject(id) end");  // 2
    core.createObject(1, "");                                                        // 3
    core.createObject(1, "");                                                        // 4
    frames(2);
    EXPECT_EQ(eval("state.deleted"), "true");
    EXPECT_EQ(eval("state.again"), "false");
    EXPECT_EQ(core.threadCount(), 0u);
    EXPECT_THAT(updates, ElementsAre(1, 4, 4));  // none skipped, none freed touched
}

TEST_F(LockTest, ObjectsCreatedDuringTheWalkAreUpdatedInTheSameFrame) {
    started("function main(id) wait(pause(id, 0.01)) for i = 1, 2000 do newObject(1) end end");
    frames(1);
    EXPECT_EQ(updates.size(), 2000u);
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
}

TEST_F(LockTest, AScriptErrorInsideTheWalkLeavesTheCoreConsistent) {
    started("function main(id) wait(pause(id, 0.01)) deleteObject(id) error('after') end");
    core.createObject(1, "");
    fatalError([&] { frames(1); });
    EXPECT_EQ(core.threadCount(), 0u);
    frames(1);
    EXPECT_THAT(updates, ElementsAre(2));  // the frame ended at the error
    EXPECT_EQ(core.getObjects().size(), 1u);
}

}  // namespace
