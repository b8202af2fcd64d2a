// The main loop driven through the fake driver: messages, the frame clock, running and quitting.
#include <gmock/gmock.h>

#include <numeric>

#include "core_fixture.h"
#include "platform/constants.h"
#include "platform/window.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

namespace {

std::vector<uint32_t> dispatched;

intptr_t recordMessage(platform::WindowHandle, uint32_t message, uintptr_t, intptr_t) {
    dispatched.push_back(message);
    return 0;
}

void queue(platform::WindowHandle window, std::initializer_list<uint32_t> messages) {
    for (uint32_t message : messages) {
        fake::queueMessage(platform::Message{window, message, 0, 0});
    }
}

class FrameLoopTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        onFrame = [this](float elapsed) { durations.push_back(elapsed); };
    }

    // Runs frames whose clock readings lie `milliseconds` apart (the first: after the start of
    // run, passed while the loop is not yet running), then quits.
    void runFrames(const std::vector<uint32_t>& milliseconds) {
        size_t next = 0;
        core.setRunning(false);
        fake::setSleepHandler([&](uint32_t) {
            if (next == milliseconds.size()) {
                queue(nullptr, {platform::WM_QUIT});
                return;
            }
            fake::advanceClock(milliseconds[next++]);
            core.setRunning(true);
        });
        EXPECT_TRUE(core.run());
    }

    std::vector<float> durations;
};

TEST_F(FrameLoopTest, FramesLastTheTimeSinceThePreviousFrameSmoothedAndCapped) {
    const float cap = 0.022222223f;
    const auto times = [](float previous, double factor) {
        return static_cast<float>(static_cast<double>(previous) * factor);
    };
    // The clock's start (the first case crosses the counter's wrap), the milliseconds between
    // readings, and the frames' durations.
    for (auto [clock, milliseconds, expected] :
         {std::tuple{0xFFFFFFF8u, std::vector<uint32_t>{16, 16}, std::vector{0.016f, 0.016f}},
          {0, {100}, {cap}},  // the first frame is capped, never clamped
          {0, {20, 1}, {0.02f, times(0.02f, 0.8f)}},
          // The real rate, not a fixed step, then held to 1.2 times it.
          {0, {10, 11, 20}, {0.01f, 0.011f, times(0.011f, 1.2f)}},
          {0, {20, 5000, 20}, {0.02f, cap, 0.02f}}}) {  // clamped to 0.024, then capped
        SCOPED_TRACE(::testing::PrintToString(milliseconds));
        fake::reset();
        fake::setClock(clock);
        durations.clear();
        const float before = core.getTime();
        runFrames(milliseconds);
        EXPECT_THAT(durations, ElementsAreArray(expected));
        EXPECT_EQ(core.getTime(), std::accumulate(expected.begin(), expected.end(), before));
    }
}

TEST_F(FrameLoopTest, EachFrameUpdatesObjectsThenCallsBackThenSleepsOneMillisecond) {
    started("function main(id) wait(pause(id, 0.001)) state.woke = true end");
    onFrame = [this](float) { durations.push_back(eval("state.woke") == "true"); };
    runFrames({5, 5});
    EXPECT_THAT(durations, ElementsAre(1.0f, 1.0f));
    EXPECT_THAT(fake::sleeps(), ElementsAre(1000u, 1u, 1u));
}

TEST_F(FrameLoopTest, WhileNotRunningNothingMovesButMessagesAreHandledAndQuitIsLogged) {
    fake::setDataRoot(dir.path().string());
    ASSERT_TRUE(Log::open("Game"));
    core.createObject(0, "")->pause(0.5f);
    core.setRunning(false);
    fake::setSleepHandler([](uint32_t) {
        if (fake::sleeps().size() == 3) {
            queue(nullptr, {platform::WM_QUIT});
        }
    });
    EXPECT_TRUE(core.run());
    EXPECT_THAT(fake::sleeps(), ElementsAre(1000u, 1000u, 1000u));
    EXPECT_TRUE(durations.empty());
    EXPECT_EQ(core.getTime(), 0.0f);
    EXPECT_EQ(core.findObject(1)->getWaitTimer(), 0.5f);
    EXPECT_THAT(testing_support::readFile(Log::path()),
                HasSubstr("]: Graceful shutdown detected.<br>"));
}

TEST_F(FrameLoopTest, MessagesAreHandledOneAPassAndAFrameRunsOnlyOnAnEmptyQueue) {
    platform::registerClass(platform::WindowClass{"Recorder", 0, recordMessage, ""});
    platform::WindowHandle window = platform::createWindow("Recorder", "", 0, 0, 0, 10, 10);
    dispatched.clear();
    queue(window, {platform::WM_KEYDOWN, platform::WM_KEYUP});
    onFrame = [&](float) {
        EXPECT_EQ(fake::queuedMessages(), 0u);
        durations.push_back(0);
        queue(window, {platform::WM_CLOSE, platform::WM_QUIT, platform::WM_KEYDOWN});
    };
    EXPECT_TRUE(core.run());
    // WM_QUIT is dispatched like any message, then ends the loop before anything else.
    EXPECT_THAT(dispatched, ElementsAre(platform::WM_KEYDOWN, platform::WM_KEYUP,
                                        platform::WM_CLOSE, platform::WM_QUIT));
    EXPECT_EQ(durations.size(), 1u);
    EXPECT_EQ(fake::queuedMessages(), 1u);
}

}  // namespace
