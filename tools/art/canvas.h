// A floating-point RGBA canvas that paints anti-aliased shapes described by signed distance
// functions. The art generator builds every image of the game on it, so the images stay a few
// lines of geometry each instead of committed binaries nobody can change.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

// Straight (not premultiplied) colour, each channel 0..1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

Rgba rgb(uint32_t hex, float alpha = 1.0f);
Rgba mix(const Rgba& from, const Rgba& to, float t);
Rgba scaled(const Rgba& colour, float factor);  // brightness, alpha kept

// Signed distance in pixels from a point to a shape's edge: negative inside, positive outside.
using Distance = std::function<float(float x, float y)>;
// The colour of a shape at a point; its alpha multiplies the shape's coverage.
using Paint = std::function<Rgba(float x, float y)>;

class Canvas {
public:
    // A canvas of `width` x `height` pixels, fully transparent.
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Lays `paint` over every pixel the shape covers, source over destination. A pixel's
    // coverage comes from the distance at its centre, which gives a one-pixel soft edge.
    void fill(const Distance& shape, const Paint& paint);
    // The same over the whole canvas.
    void fill(const Paint& paint);

    Rgba at(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // Rows top to bottom, four bytes a pixel: red, green, blue, alpha.
    std::vector<uint8_t> rgba8() const;

private:
    void blend(int x, int y, Rgba source, float coverage);

    int width_;
    int height_;
    std::vector<Rgba> pixels_;
};

// Distance functions of the shapes the art uses, centred on (cx, cy).
Distance circle(float cx, float cy, float radius);
Distance roundedBox(float cx, float cy, float halfWidth, float halfHeight, float radius);
Distance diamond(float cx, float cy, float radius, float rounding);
Distance hexagon(float cx, float cy, float radius, float rounding);
// The triangle with corners a, b and c, in either winding.
Distance triangle(float ax, float ay, float bx, float by, float cx, float cy);
Distance grown(Distance shape, float by);  // negative `by` shrinks

// Outward unit normal of a shape's edge nearest to (x, y), from the distance's gradient.
void normalAt(const Distance& shape, float x, float y, float& nx, float& ny);

}  // namespace art
