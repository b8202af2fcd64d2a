// A 5 x 7 pixel font for the lettering painted into the backdrop: capitals and the space.
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
