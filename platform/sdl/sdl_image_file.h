// The image files the SDL driver reads: the formats the Direct3D driver's loader reads too (PNG,
// BMP, JPEG, TGA and the PNM family), each told from the file's first bytes or, for TGA, which
// has no signature, from its name as SDL_image tells it. The header gives the image's size
// before any pixel is decoded; the file is then decoded as the format its header showed, so the
// size read and the pixels decoded come from the same reading of the file.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace sdl {

enum class ImageFormat { unknown, png, bmp, jpeg, tga, pnm };

struct ImageHeader {
    ImageFormat format = ImageFormat::unknown;
    uint32_t width = 0;
    uint32_t height = 0;
};

// The format and size of the image in the file at `path`, from its header alone; the format is
// unknown when the file cannot be read, is of none of the formats, or its header gives no size.
ImageHeader readImageHeader(const std::string& path);

// Decodes the file at `path` as `format`; null when it cannot.
SDL_Surface* decodeImage(const std::string& path, ImageFormat format);

}  // namespace sdl
