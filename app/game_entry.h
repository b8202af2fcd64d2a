// Puzzle Tumblix's start-up and run, shared by every platform's entry point.
#pragma once

class Object;

// Starts the game and runs it until its window closes: the engine core with the game's
// callbacks, the window and its 800 x 600 windowed screen format, the six images, a fresh
// scripting state, then the frame loop. Returns the process's exit status: 0 once the window
// has closed, 1 after a fatal error, whose message box the user has already seen.
int runGame();

// The core's object factory: the game has no object types of its own, so every type gets null.
Object* gameObjectFactory(int type);
