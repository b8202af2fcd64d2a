// The fake driver's process-wide state, shared by its service files.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/key_states.h"
#include "platform/types.h"

namespace platform {
struct Window {
    fake::WindowState state;
};
}  // namespace platform

namespace fake::detail {

struct State {
    std::deque<platform::Message> messages;
    uint32_t clock = 0;
    std::function<void(uint32_t)> sleepHandler;
    std::vector<uint32_t> sleeps;
    platform::KeyStates keys;
    std::deque<int> boxAnswers;
    std::vector<ShownBox> boxes;
    std::string dataRoot;
    std::string programPath;
    std::map<std::string, platform::WindowClass> classes;
    std::vector<std::unique_ptr<platform::Window>> windows;
    bool failNextWindow = false;
};

State& state();

// A service file that keeps state of its own outside State registers, with a static ResetHook,
// a function that clears it; fake::reset() runs every such function after clearing State.
struct ResetHook {
    explicit ResetHook(void (*clear)());
};

}  // namespace fake::detail
