// The rules of the puzzle board, in the order a frame applies them: the arrow keys, the fall
// timer, and (after the frame is drawn) the spawning of the next pair. They work on `game`.
//
// A landed piece is never lost: a sideways move acts only on a falling pair and only into a
// free cell, a pair appears only when both of its cells are free, and no rule reads a cell
// outside the board.
#pragma once

// Reads the left and right arrows; a key that has just gone down shifts the falling pair one
// column that way, if the board's edge and the cell the leading piece moves into allow it.
void applyArrowKeys();

// Gathers `dt` seconds; each time half a second is reached the timer restarts from 0 (the
// excess is dropped) and a falling pair drops one row. Each piece lands on its own when the
// floor or an occupied cell is below it, so a pair can end split by one row.
void advanceFall(float dt);

// Once no pair falls, puts a new one at the spawn position if both of its cells are free;
// otherwise the board stays blocked.
void spawnPair();
