// The SDL driver's image files: the size of every format it reads comes from the header alone
// and is the size the decoder then finds; what it does not read is refused before decoding.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <string>

#include "../test_support.h"
#include "platform/direct3d.h"
#include "platform/sdl/sdl_image_file.h"

using namespace platform;

namespace {

std::string bigEndian(uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes += static_cast<char>(value >> shift);
    }
    return bytes;
}

// A PNG's signature and IHDR chunk (CRC not filled in): all a header reader looks at.
std::string pngHead(uint32_t width, uint32_t height) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + bigEndian(13) + "IHDR" + bigEndian(width) +
           bigEndian(height) + std::string("\x08\x06\0\0\0", 5) + bigEndian(0);
}

TEST(SdlImageFileTest, SizesComeFromTheHeaderAndMatchWhatIsDecoded) {
    testing_support::TempDir dir;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 37, 5, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_EQ(SDL_SaveBMP(surface, dir.file("a.bmp").c_str()), 0);
    ASSERT_EQ(IMG_SavePNG(surface, dir.file("a.png").c_str()), 0);
    ASSERT_EQ(IMG_SaveJPG(surface, dir.file("a.jpg").c_str(), 90), 0);
    SDL_FreeSurface(surface);
    const std::string pixels(37 * 5 * 3, '\x40');
    dir.write("a.tga", std::string("\0\0\x02", 3) + std::string(9, '\0') +
                           std::string("\x25\0\x05\0\x18\x20", 6) + pixels);
    dir.write("a.ppm", "P6\n# made by hand\n37 5\n255\n" + pixels);

    for (const char* name : {"a.bmp", "a.png", "a.jpg", "a.tga", "a.ppm"}) {
        SCOPED_TRACE(name);
        ImageInfo info;
        ASSERT_EQ(d3dxGetImageInfoFromFile(dir.file(name), info), D3D_OK);
        EXPECT_EQ(info.width, 37u);
        EXPECT_EQ(info.height, 5u);
        SDL_Surface* decoded =
            sdl::decodeImage(dir.file(name), sdl::readImageHeader(dir.file(name)).format);
        ASSERT_NE(decoded, nullptr) << IMG_GetError();
        EXPECT_EQ(decoded->w * 100 + decoded->h, 3705);
        SDL_FreeSurface(decoded);
    }

    // A few hundred bytes that claim 30000 x 30000: measured, never decoded.
    ImageInfo bomb;
    ASSERT_EQ(d3dxGetImageInfoFromFile(
                  dir.write("bomb.png", pngHead(30000, 30000) + std::string(300, '\0')), bomb),
              D3D_OK);
    EXPECT_EQ(bomb.width * 1.0 * bomb.height, 9e8);

    // Not read: other formats, damaged or empty sizes, a TGA not named so, a missing file.
    for (auto [name, bytes] : {std::pair{"a.gif", std::string("GIF89a\x25\0\x05\0", 10)},
                               {"short.png", pngHead(37, 5).substr(0, 20)},
                               {"empty.png", pngHead(0, 5)},
                               {"huge.png", pngHead(0x80000000u, 5)},
                               {"a.tga.bin", testing_support::readFile(dir.file("a.tga"))},
                               {"sof_missing.jpg", std::string("\xFF\xD8\xFF\xDA\0\x02", 6)}}) {
        SCOPED_TRACE(name);
        ImageInfo info;
        EXPECT_LT(d3dxGetImageInfoFromFile(dir.write(name, bytes), info), 0);
    }
    ImageInfo missing;
    EXPECT_LT(d3dxGetImageInfoFromFile(dir.file("missing.png"), missing), 0);
}

}  // namespace
