// The game's frame callback and its drawing: everything the puzzle does once the engine runs.
#pragma once

// One frame of `dt` seconds: the arrow keys, the fall timer, the drawing (skipped while the
// device is lost), then the next pair if the last one landed, so a new pair shows from the
// following frame on.
void gameFrame(float dt);

// Draws every board cell: the dimmed cell sprite, and the piece over it. Only between
// Graphics::beginFrame and Graphics::endFrame.
void renderBoard();
