// The fake driver's OS services: an in-memory queue, a clock that moves only when told (or when
// the engine sleeps), keys held by tests and message boxes answered from a queue.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/constants.h"
#include "platform/fake/fake_state.h"
#include "platform/os.h"

namespace fake {

using detail::state;

namespace detail {
namespace {
std::vector<void (*)()>& resetHooks() {
    static std::vector<void (*)()> hooks;
    return hooks;
}
}  // namespace

ResetHook::ResetHook(void (*clear)()) {
    resetHooks().push_back(clear);
}
}  // namespace detail

void reset() {
    state() = detail::State{};
    for (void (*clear)() : detail::resetHooks()) {
        clear();
    }
}

void queueMessage(const platform::Message& message) {
    state().messages.push_back(message);
}

size_t queuedMessages() {
    return state().messages.size();
}

void setClock(uint32_t milliseconds) {
    state().clock = milliseconds;
}

void advanceClock(uint32_t milliseconds) {
    state().clock += milliseconds;  // wraps like the OS counter
}

void setSleepHandler(std::function<void(uint32_t)> handler) {
    state().sleepHandler = std::move(handler);
}

const std::vector<uint32_t>& sleeps() {
    return state().sleeps;
}

void pressKey(int virtualKey) {
    state().keys.press(virtualKey);
}

void releaseKey(int virtualKey) {
    state().keys.release(virtualKey);
}

void tapKey(int virtualKey) {
    pressKey(virtualKey);
    releaseKey(virtualKey);
}

void queueBoxAnswer(int answer) {
    state().boxAnswers.push_back(answer);
}

const std::vector<ShownBox>& shownBoxes() {
    return state().boxes;
}

void setDataRoot(const std::string& root) {
    state().dataRoot = root;
}

void setProgramPath(const std::string& path) {
    state().programPath = path;
}

}  // namespace fake

namespace platform {

using fake::detail::state;

bool peekMessage(Message& message) {
    auto& queue = state().messages;
    if (queue.empty()) {
        return false;
    }
    message = queue.front();
    queue.pop_front();
    return true;
}

bool translateMessage(const Message&) {
    return false;
}

intptr_t dispatchMessage(const Message& message) {
    if (message.window == nullptr || message.window->state.destroyed) {
        return 0;
    }
    auto found = state().classes.find(message.window->state.className);
    if (found == state().classes.end()) {
        return 0;
    }
    return found->second.procedure(message.window, message.message, message.wParam,
                                   message.lParam);
}

void postQuitMessage(int exitCode) {
    state().messages.push_back(
        Message{nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

intptr_t defWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

void sleep(uint32_t milliseconds) {
    state().sleeps.push_back(milliseconds);
    if (state().sleepHandler) {
        state().sleepHandler(milliseconds);
    } else {
        fake::advanceClock(milliseconds);
    }
}

uint32_t timeGetTime() {
    return state().clock;
}

int16_t getAsyncKeyState(int virtualKey) {
    return state().keys.read(virtualKey);
}

int messageBox(const std::string& text, const std::string& caption, uint32_t style) {
    state().boxes.push_back(fake::ShownBox{text, caption, style});
    auto& answers = state().boxAnswers;
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & MB_TYPEMASK) == MB_OK ? IDOK : 0;
}

bool commonDataFolder(const std::string& subDirectory, std::string& path) {
    if (state().dataRoot.empty()) {
        return false;
    }
    std::filesystem::path folder = std::filesystem::path(state().dataRoot) / subDirectory;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return false;
    }
    path = folder.string();
    return true;
}

char pathSeparator() {
    return '/';
}

bool programPath(std::string& path) {
    if (state().programPath.empty()) {
        return false;
    }
    path = state().programPath;
    return true;
}

}  // namespace platform
