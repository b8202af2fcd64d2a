// The committed images are exactly what the art generator paints, and they load as the game
// loads them: the right sizes, an opaque backdrop, cells, pieces and the icon with see-through
// corners.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tools/art/game_art.h"

namespace {

struct Loaded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, as the canvas gives them
};

Loaded loadResource(const std::string& name) {
    std::string path = std::string(std::getenv("TUMBLIX_SOURCE_DIR")) + "/resources/" + name;
    SDL_Surface* file = IMG_Load(path.c_str());
    SDL_Surface* rgba = file ? SDL_ConvertSurfaceFormat(file, SDL_PIXELFORMAT_RGBA32, 0) : nullptr;
    SDL_FreeSurface(file);
    if (rgba == nullptr) {
        ADD_FAILURE() << path << ": " << SDL_GetError();
        return {};
    }
    const auto* bytes = static_cast<const uint8_t*>(rgba->pixels);  // rows of four-byte pixels
    Loaded image{rgba->w, rgba->h, std::vector<uint8_t>(bytes, bytes + rgba->h * rgba->pitch)};
    SDL_FreeSurface(rgba);
    return image;
}

struct ArtCase {
    std::string file;
    art::Canvas (*paint)();
    int width;
    int height;
    bool opaque;  // else the corners show what lies behind and the middle hides it

    friend void PrintTo(const ArtCase& art, std::ostream* out) { *out << art.file; }
};

class CommittedArt : public ::testing::TestWithParam<ArtCase> {};

TEST_P(CommittedArt, MatchesTheGenerator) {
    const ArtCase& art = GetParam();
    Loaded loaded = loadResource(art.file);
    ASSERT_EQ(loaded.width, art.width);
    ASSERT_EQ(loaded.height, art.height);
    EXPECT_TRUE(loaded.rgba == art.paint().rgba8())
        << art.file << " is stale: run make_art resources/ and commit the result";
    if (art.opaque) {
        for (size_t i = 3; i < loaded.rgba.size(); i += 4) {
            ASSERT_EQ(loaded.rgba[i], 255) << "pixel " << i / 4;
        }
    } else {
        const size_t middle = static_cast<size_t>(art.height / 2 * art.width + art.width / 2);
        EXPECT_EQ(loaded.rgba[3], 0);
        EXPECT_EQ(loaded.rgba[middle * 4 + 3], 255);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Resources, CommittedArt,
    ::testing::Values(ArtCase{"backdrop.png", art::makeBackdrop, 800, 600, true},
                      ArtCase{"aaa.png", art::makeCell, 32, 32, false},
                      ArtCase{"peice1.png", [] { return art::makePiece(1); }, 32, 32, false},
                      ArtCase{"peice2.png", [] { return art::makePiece(2); }, 32, 32, false},
                      ArtCase{"peice3.png", [] { return art::makePiece(3); }, 32, 32, false},
                      ArtCase{"peice4.png", [] { return art::makePiece(4); }, 32, 32, false},
                      ArtCase{"icon.png", art::makeIcon, 128, 128, false}),
    [](const ::testing::TestParamInfo<ArtCase>& info) {
        return info.param.file.substr(0, info.param.file.find('.'));
    });

}  // namespace
