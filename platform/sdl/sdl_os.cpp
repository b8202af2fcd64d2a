// The SDL driver's OS services. SDL's event queue feeds the driver's own message queue; key
// state is kept here from the key events the pump sees, since SDL's keyboard state ignores
// events pushed by a program (and tests push them).
#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/constants.h"
#include "platform/key_states.h"
#include "platform/os.h"
#include "platform/sdl/sdl_state.h"

using namespace platform;

namespace {

std::deque<Message>& queue() {
    static std::deque<Message> messages;
    return messages;
}

KeyStates keys;

int virtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return VK_A + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return VK_0 + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + (key - SDLK_F1);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return VK_NUMPAD1 + (key - SDLK_KP_1);
    }
    switch (key) {
        case SDLK_KP_0: return VK_NUMPAD0;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_UP: return VK_UP;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_PAGEUP: return VK_PRIOR;
        case SDLK_PAGEDOWN: return VK_NEXT;
        case SDLK_HOME: return VK_HOME;
        case SDLK_END: return VK_END;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        default: return 0;
    }
}

// Shift, Control and Alt each have two keys and one virtual key, which stays down until both
// are up. The keys of each that are held, one bit per side.
std::map<int, unsigned> heldSides;

// Counts the event of a two-sided key; whether the other key of the pair still holds it down.
bool otherSideHolds(const SDL_Event& event, int virtualKey) {
    if (virtualKey != VK_SHIFT && virtualKey != VK_CONTROL && virtualKey != VK_MENU) {
        return false;
    }
    SDL_Keycode key = event.key.keysym.sym;
    unsigned side = key == SDLK_LSHIFT || key == SDLK_LCTRL || key == SDLK_LALT ? 1u : 2u;
    unsigned& held = heldSides[virtualKey];
    held = event.type == SDL_KEYDOWN ? held | side : held & ~side;
    return (held & ~side) != 0;
}

// Turns one SDL event into the message it stands for; false for events with no message.
bool toMessage(const SDL_Event& event, Message& message) {
    switch (event.type) {
        case SDL_QUIT:
            // A quit request from outside (SIGTERM, the session ending) asks the main window to
            // close, as the OS would. With no window there is nobody to ask: quit at once.
            message.window = sdl::mainWindow();
            message.message = message.window != nullptr ? WM_CLOSE : WM_QUIT;
            return true;
        case SDL_WINDOWEVENT:
            if (event.window.event != SDL_WINDOWEVENT_CLOSE) {
                return false;
            }
            message.window = sdl::windowFromId(event.window.windowID);
            message.message = WM_CLOSE;
            return message.window != nullptr;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            int key = virtualKeyOf(event.key.keysym.sym);
            if (key == 0) {
                return false;
            }
            bool down = event.type == SDL_KEYDOWN;
            bool held = otherSideHolds(event, key);
            if (down) {
                keys.press(key);
            } else if (!held) {
                keys.release(key);
            }
            message.window = sdl::windowFromId(event.key.windowID);
            message.message = down ? WM_KEYDOWN : WM_KEYUP;
            message.wParam = static_cast<uintptr_t>(key);
            return true;
        }
        default:
            return false;
    }
}

void drainSdlEvents() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0 && SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        Message message;
        if (toMessage(event, message)) {
            queue().push_back(message);
        }
    }
}

}  // namespace

namespace platform {

bool peekMessage(Message& message) {
    drainSdlEvents();
    if (queue().empty()) {
        return false;
    }
    message = queue().front();
    queue().pop_front();
    return true;
}

bool translateMessage(const Message&) {
    return false;
}

intptr_t dispatchMessage(const Message& message) {
    WindowProcedure procedure = sdl::procedureOf(message.window);
    if (procedure == nullptr) {
        return 0;
    }
    return procedure(message.window, message.message, message.wParam, message.lParam);
}

void postQuitMessage(int exitCode) {
    queue().push_back(Message{nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

intptr_t defWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

uint32_t timeGetTime() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart);
    return static_cast<uint32_t>(milliseconds.count());  // wraps like the OS counter
}

int16_t getAsyncKeyState(int virtualKey) {
    return keys.read(virtualKey);
}

bool commonDataFolder(const std::string& subDirectory, std::string& path) {
    namespace fs = std::filesystem;
    fs::path root;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && fs::path(dataHome).is_absolute()) {
        root = dataHome;
    } else if (home != nullptr && *home != '\0') {
        root = fs::path(home) / ".local" / "share";
    } else {
        return false;
    }
    fs::path folder = root / subDirectory;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        return false;
    }
    path = folder.string();
    return true;
}

char pathSeparator() {
    return '/';
}

// Linux names the running program in /proc; a system without it (or without that file) cannot
// tell, and says so.
bool programPath(std::string& path) {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) {
        return false;
    }
    path = program.string();
    return true;
}

}  // namespace platform
