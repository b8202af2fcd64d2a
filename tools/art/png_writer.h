// Writes 8-bit RGBA images as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

// Encodes `rgba` (rows top to bottom, four bytes a pixel) as a PNG image of `width` x `height`.
std::vector<uint8_t> encodePng(int width, int height, const std::vector<uint8_t>& rgba);

// Writes the encoded image to `path`; false, with nothing left behind, when it cannot.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace art
