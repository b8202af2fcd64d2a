// The program's entry on Windows, where the system starts a windowed program at WinMain. The
// game takes nothing from its four arguments: the graphics layer makes the window itself, and
// there are no options. The system's types are only named here, so this file needs no system
// header; C linkage gives the symbol the name the runtime's start-up code calls.
#include "app/game_entry.h"

struct HINSTANCE__;

extern "C" int __stdcall WinMain(HINSTANCE__* /*instance*/, HINSTANCE__* /*previous*/,
                                 char* /*commandLine*/, int /*showCommand*/) {
    return runGame();
}
