// Lettering painted into the backdrop, in the engine's built-in pixel font (graphics/pixel_font.h).
#pragma once

#include <string>

#include "tools/art/canvas.h"

namespace art {

// The outline of `line` with its top-left corner at (left, top), each font pixel a square of
// `scale` canvas pixels. Characters the font lacks come out as gaps.
Distance text(const std::string& line, float left, float top, float scale);

// Width in canvas pixels of `line` at `scale`, from its first lit column to its last.
float textWidth(const std::string& line, float scale);

}  // namespace art
