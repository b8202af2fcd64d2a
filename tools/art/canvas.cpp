#include "tools/art/canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace art {

Rgba rgb(uint32_t hex, float alpha) {
    return Rgba{static_cast<float>((hex >> 16) & 0xFF) / 255.0f,
                static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
                static_cast<float>(hex & 0xFF) / 255.0f, alpha};
}

Rgba mix(const Rgba& from, const Rgba& to, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return Rgba{from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
                from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Rgba scaled(const Rgba& colour, float factor) {
    return Rgba{std::clamp(colour.r * factor, 0.0f, 1.0f),
                std::clamp(colour.g * factor, 0.0f, 1.0f),
                std::clamp(colour.b * factor, 0.0f, 1.0f), colour.a};
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width * height), Rgba{0, 0, 0, 0}) {}

void Canvas::fill(const Distance& shape, const Paint& paint) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float px = static_cast<float>(x) + 0.5f;
            float py = static_cast<float>(y) + 0.5f;
            float coverage = std::clamp(0.5f - shape(px, py), 0.0f, 1.0f);
            if (coverage > 0.0f) {
                blend(x, y, paint(px, py), coverage);
            }
        }
    }
}

void Canvas::fill(const Paint& paint) {
    fill([](float, float) { return -1.0f; }, paint);
}

void Canvas::blend(int x, int y, Rgba source, float coverage) {
    Rgba& target = pixels_[static_cast<size_t>(y * width_ + x)];
    float alpha = std::clamp(source.a * coverage, 0.0f, 1.0f);
    float outAlpha = alpha + target.a * (1.0f - alpha);
    if (outAlpha <= 0.0f) {
        target = Rgba{0, 0, 0, 0};
        return;
    }
    auto over = [&](float s, float d) {
        return (s * alpha + d * target.a * (1.0f - alpha)) / outAlpha;
    };
    target = Rgba{over(source.r, target.r), over(source.g, target.g), over(source.b, target.b),
                  outAlpha};
}

std::vector<uint8_t> Canvas::rgba8() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels_.size() * 4);
    auto toByte = [](float v) {
        return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    for (const Rgba& pixel : pixels_) {
        // Fully transparent pixels are stored as transparent black, so nothing of a colour
        // nobody sees leaks into filtering or compression.
        bool clear = toByte(pixel.a) == 0;
        bytes.push_back(clear ? 0 : toByte(pixel.r));
        bytes.push_back(clear ? 0 : toByte(pixel.g));
        bytes.push_back(clear ? 0 : toByte(pixel.b));
        bytes.push_back(toByte(pixel.a));
    }
    return bytes;
}

Distance circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Distance roundedBox(float cx, float cy, float halfWidth, float halfHeight, float radius) {
    return [=](float x, float y) {
        float qx = std::abs(x - cx) - halfWidth + radius;
        float qy = std::abs(y - cy) - halfHeight + radius;
        float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Distance diamond(float cx, float cy, float radius, float rounding) {
    // A square turned by 45 degrees: a rounded box in the rotated frame.
    const float half = (radius - rounding) / std::sqrt(2.0f);
    Distance box = roundedBox(0, 0, half + rounding, half + rounding, rounding);
    return [=](float x, float y) {
        float u = (x - cx + y - cy) / std::sqrt(2.0f);
        float v = (y - cy - (x - cx)) / std::sqrt(2.0f);
        return box(u, v);
    };
}

Distance hexagon(float cx, float cy, float radius, float rounding) {
    // A pointy-topped hexagon; `radius` is the distance from the centre to a flat side.
    return [=](float x, float y) {
        const float kx = -0.866025404f, ky = 0.5f, kz = 0.577350269f;
        float px = std::abs(y - cy);  // swapped axes turn the flat-topped form upright
        float py = std::abs(x - cx);
        float r = radius - rounding;
        float dot = std::min(kx * px + ky * py, 0.0f);
        px -= 2.0f * dot * kx;
        py -= 2.0f * dot * ky;
        px -= std::clamp(px, -kz * r, kz * r);
        py -= r;
        return std::hypot(px, py) * (py < 0 ? -1.0f : 1.0f) - rounding;
    };
}

Distance triangle(float ax, float ay, float bx, float by, float cx, float cy) {
    return [=](float x, float y) {
        const float corners[3][2] = {{ax, ay}, {bx, by}, {cx, cy}};
        // Distance to the nearest edge; the sign says on which side of all three edges we are.
        float nearest = std::numeric_limits<float>::max();
        float winding = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        bool inside = true;
        for (int i = 0; i < 3; ++i) {
            const float* p = corners[i];
            const float* q = corners[(i + 1) % 3];
            float ex = q[0] - p[0], ey = q[1] - p[1];
            float wx = x - p[0], wy = y - p[1];
            float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
            nearest = std::min(nearest, std::hypot(wx - ex * t, wy - ey * t));
            inside = inside && (ex * wy - ey * wx) * winding >= 0;
        }
        return inside ? -nearest : nearest;
    };
}

Distance grown(Distance shape, float by) {
    return [shape = std::move(shape), by](float x, float y) { return shape(x, y) - by; };
}

void normalAt(const Distance& shape, float x, float y, float& nx, float& ny) {
    const float h = 0.25f;
    nx = shape(x + h, y) - shape(x - h, y);
    ny = shape(x, y + h) - shape(x, y - h);
    float length = std::hypot(nx, ny);
    if (length > 0) {
        nx /= length;
        ny /= length;
    }
}

}  // namespace art
