#include "tools/art/pixel_font.h"

#include <cmath>
#include <limits>

#include "graphics/pixel_font.h"

namespace art {

namespace {

using pixel_font::kAdvance;

// Whether font pixel (column, row) of the whole line is lit.
bool lit(const std::string& line, int column, int row) {
    if (column < 0) {
        return false;
    }
    size_t index = static_cast<size_t>(column / kAdvance);
    return index < line.size() && pixel_font::lit(line[index], column % kAdvance, row);
}

}  // namespace

Distance text(const std::string& line, float left, float top, float scale) {
    return [=](float x, float y) {
        // Font pixels are squares that touch their neighbours, so only the 3 x 3 font pixels
        // around the point can be nearest.
        float u = (x - left) / scale;
        float v = (y - top) / scale;
        int column = static_cast<int>(std::floor(u));
        int row = static_cast<int>(std::floor(v));
        float nearest = std::numeric_limits<float>::max();
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (!lit(line, column + dx, row + dy)) {
                    continue;
                }
                float qx = std::abs(u - (static_cast<float>(column + dx) + 0.5f)) - 0.5f;
                float qy = std::abs(v - (static_cast<float>(row + dy) + 0.5f)) - 0.5f;
                float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
                nearest = std::min(nearest, outside + std::min(std::max(qx, qy), 0.0f));
            }
        }
        return nearest == std::numeric_limits<float>::max() ? scale : nearest * scale;
    };
}

float textWidth(const std::string& line, float scale) {
    if (line.empty()) {
        return 0;
    }
    return static_cast<float>(static_cast<int>(line.size()) * kAdvance - 1) * scale;
}

}  // namespace art
