// Control of the fake driver, for tests: a scriptable OS with no display. Tests queue messages,
// hold keys, drive the clock, answer message boxes and read back what the engine asked for.
// fake::reset() returns everything to its start state; call it at the start of each test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../types.h"

namespace fake {

void reset();

// --- Message pump ---
void queueMessage(const platform::Message& message);
// Number of messages waiting in the queue.
size_t queuedMessages();

// --- Clock and sleep ---
// By default each sleep advances the clock by its duration. A handler replaces that and may do
// anything: set the clock, queue messages (to end a run loop after some frames), and so on.
void setClock(uint32_t milliseconds);
void advanceClock(uint32_t milliseconds);
void setSleepHandler(std::function<void(uint32_t milliseconds)> handler);
// Every sleep the engine asked for, in order.
const std::vector<uint32_t>& sleeps();

// --- Keys ---
// Pressing sets "down" and the latch; releasing clears "down" and keeps the latch.
void pressKey(int virtualKey);
void releaseKey(int virtualKey);
// A press and release between two reads: the next read still sees the latch.
void tapKey(int virtualKey);

// --- Message boxes ---
struct ShownBox {
    std::string text;
    std::string caption;
    uint32_t style = 0;
};
// Answers given in order; when none is queued a box answers IDOK for MB_OK boxes and 0
// (as if no box could be shown) for the others.
void queueBoxAnswer(int answer);
const std::vector<ShownBox>& shownBoxes();

// --- Folders ---
// The folder under which commonDataFolder creates sub-directories; empty makes it fail.
void setDataRoot(const std::string& root);
// What programPath answers; empty (after reset()) makes it fail, as where the system cannot tell.
void setProgramPath(const std::string& path);

// --- Windows ---
struct WindowState {
    std::string className;
    std::string title;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;  // outer placement
    bool visible = false;
    bool topMost = false;
    bool focused = false;
    bool destroyed = false;
    bool hasIcon = false;
};
// Every window created since reset(), in creation order.
std::vector<platform::WindowHandle> windows();
const WindowState& windowState(platform::WindowHandle window);
// Pixels that the frame of a styled window adds on each side: a caption bar on top and a thin
// border elsewhere when WS_CAPTION is set, nothing for a pop-up.
constexpr int kBorder = 3;
constexpr int kCaption = 22;
// Makes the next createWindow fail, as without a display.
void failNextWindow();

}  // namespace fake
