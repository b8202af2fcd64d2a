#include <cstdio>

#include <tumblix/core/core.h>
#include <tumblix/core/object.h>

int main() {
    try {
        Core core([](int) -> Object* { return nullptr; },  // no object types of our own
                  [](float) {});                         // nothing to draw each frame
        core.resetScripting();
        Object* hero = core.createObject(0, "hero.lua");
        hero->startThread("main");  // runs main(id) until it waits
        for (int frame = 0; frame < 100; ++frame) {
            core.runFrame(0.01f);  // a second of game time in all
        }
        std::printf("The hero took %g steps.\n", hero->getNumber("steps"));
        return 0;
    } catch (int) {
        // Log::error throws the int 0 after reporting a script error: on standard error, in a
        // message box, in the log. Only the program's entry point catches it.
        return 1;
    }
}
