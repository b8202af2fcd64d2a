// Sprites on the SDL driver, pixel by pixel, headless: what Graphics draws is read back from
// the renderer before it is presented.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "../test_support.h"
#include "graphics/graphics.h"
#include "platform/os.h"
#include "platform/sdl/sdl_state.h"

using namespace platform;

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "(" << box.left << ".." << box.right << ", " << box.top << ".." << box.bottom
               << ")";
}

class GraphicsPixelsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Frames here are read back, not watched: no waiting for the display's refresh.
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        // The software renderer draws into the window's own surface; without this SDL would
        // show that surface through an accelerated renderer and load GL drivers for nothing.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }

    void SetUp() override {
        ASSERT_TRUE(Graphics::init("MainGameClass", "Pixel test", ""));
        Graphics::setScreenFormat(
            ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));
    }
    void TearDown() override {
        textures.clear();
        Graphics::shutdown();
    }

    // Writes a PNG whose pixel (x, y) is colourAt(x, y) and loads it as a texture.
    template <typename Colour>
    Texture* image(int width, int height, Colour colourAt) {
        SDL_Surface* surface =
            SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x] =
                    colourAt(x, y);
            }
        }
        std::string path = folder.file("image" + std::to_string(textures.size()) + ".png");
        EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
        SDL_FreeSurface(surface);
        textures.emplace_back(Graphics::loadTexture(path));
        return textures.back().get();
    }

    Texture* plain(int width, int height, uint32_t colour) {
        return image(width, height, [colour](int, int) { return colour; });
    }

    // The back buffer as it stands, ARGB, row by row.
    static std::vector<uint32_t> readBack() {
        SDL_Renderer* renderer = SDL_GetRenderer(sdl::nativeWindow(Graphics::getWindow()));
        std::vector<uint32_t> pixels(800 * 600);
        EXPECT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                       800 * 4),
                  0);
        return pixels;
    }

    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] | 0xFF000000;
    }

    // The smallest box holding every pixel that is not black.
    static Box covered(const std::vector<uint32_t>& pixels) {
        Box box{800, 600, -1, -1};
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if (at(pixels, x, y) != kBlack) {
                    box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                              std::max(box.bottom, y)};
                }
            }
        }
        return box;
    }

    // Draws one frame with `draw` and returns what it drew.
    template <typename Draw>
    std::vector<uint32_t> frame(Draw draw) {
        EXPECT_TRUE(Graphics::beginFrame());
        draw();
        std::vector<uint32_t> pixels = readBack();
        Graphics::endFrame();
        return pixels;
    }

    testing_support::TempDir folder;
    std::vector<std::unique_ptr<Texture>> textures;
};

TEST_F(GraphicsPixelsTest, SpritesCoverExactlyTheirScaledRectangle) {
    Texture* small = plain(32, 32, kWhite);
    struct Case {
        const char* what;
        int width, height;
        Box expected;
    } cases[] = {
        {"unscaled", 32, 32, {25, 35, 56, 66}},
        {"twice as wide", 64, 32, {25, 35, 88, 66}},
        {"half size", 16, 16, {25, 35, 40, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto pixels = frame([&] {
            Graphics::drawSprite(small, 25, 35, c.width, c.height, 0, 0, 32, 32, kWhite, 0, 0, 0);
        });
        EXPECT_EQ(covered(pixels), c.expected);
        EXPECT_EQ(at(pixels, c.expected.right, c.expected.bottom), kWhite);
    }
}

TEST_F(GraphicsPixelsTest, APartOfTheImageIsScaledAgainstTheWholeImage) {
    // Quadrants: red, green / blue, white.
    Texture* big = image(64, 64, [](int x, int y) {
        return y < 32 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
    });
    auto pixels =
        frame([&] { Graphics::drawSprite(big, 100, 200, 32, 32, 0, 0, 32, 32, kWhite, 0, 0, 0); });
    EXPECT_EQ(covered(pixels), (Box{100, 200, 115, 215}));
    for (int y = 200; y < 216; ++y) {
        for (int x = 100; x < 116; ++x) {
            ASSERT_EQ(at(pixels, x, y), kRed) << x << "," << y;
        }
    }
}

TEST_F(GraphicsPixelsTest, AQuarterTurnAboutTheMiddleTurnsClockwiseInPlace) {
    // Left half red, right half green: turned clockwise, red lies on top.
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    auto pixels = frame(
        [&] { Graphics::drawSprite(halves, 25, 35, 32, 32, 0, 0, 32, 32, kWhite, 16, 16, 90); });
    EXPECT_EQ(covered(pixels), (Box{25, 35, 56, 66}));
    for (int y = 35; y <= 66; ++y) {
        for (int x = 25; x <= 56; ++x) {
            ASSERT_EQ(at(pixels, x, y), y < 51 ? kRed : kGreen) << x << "," << y;
        }
    }
}

TEST_F(GraphicsPixelsTest, HalfTurnsAndNegativeSizesMirrorInPlace) {
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    struct Case {
        const char* what;
        int x, width, centreX, rotation;
    } cases[] = {
        {"half turn about the middle", 100, 32, 16, 180},
        {"mirrored by a negative width", 132, -32, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto pixels = frame([&] {
            Graphics::drawSprite(halves, c.x, 100, c.width, 32, 0, 0, 32, 32, kWhite, c.centreX, 16,
                                 c.rotation);
        });
        EXPECT_EQ(covered(pixels), (Box{100, 100, 131, 131}));
        EXPECT_EQ(at(pixels, 100, 110), kGreen);
        EXPECT_EQ(at(pixels, 115, 131), kGreen);
        EXPECT_EQ(at(pixels, 116, 100), kRed);
        EXPECT_EQ(at(pixels, 131, 131), kRed);
    }
}

TEST_F(GraphicsPixelsTest, TheColourModulatesAndBlendsByItsAlpha) {
    Texture* white = plain(32, 32, kWhite);
    auto pixels = frame(
        [&] { Graphics::drawSprite(white, 0, 0, 32, 32, 0, 0, 32, 32, 0x88FFFFFF, 0, 0, 0); });
    uint32_t blended = at(pixels, 10, 10);
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(static_cast<int>((blended >> shift) & 0xFF), 0x88, 2) << std::hex << blended;
    }
    // Beyond the image the texture is transparent: the 20 x 20 image fills no more.
    Texture* odd = plain(20, 20, kWhite);
    EXPECT_EQ(odd->getTextureWidth(), 32);
    pixels = frame([&] { Graphics::drawSprite(odd, 0, 0, 32, 32, 0, 0, 32, 32, kWhite, 0, 0, 0); });
    EXPECT_EQ(covered(pixels), (Box{0, 0, 31, 31}));
    EXPECT_EQ(at(pixels, 31, 31), kWhite);
}

TEST_F(GraphicsPixelsTest, TexturesAreRoundedUpToPowersOfTwo) {
    Texture* backdrop = plain(800, 600, kBlue);
    EXPECT_EQ(backdrop->getImageWidth(), 800);
    EXPECT_EQ(backdrop->getImageHeight(), 600);
    EXPECT_EQ(backdrop->getTextureWidth(), 1024);
    EXPECT_EQ(backdrop->getTextureHeight(), 1024);
    auto pixels = frame(
        [&] { Graphics::drawSprite(backdrop, 0, 0, 800, 600, 0, 0, 800, 600, kWhite, 0, 0, 0); });
    EXPECT_EQ(covered(pixels), (Box{0, 0, 799, 599}));
}

TEST_F(GraphicsPixelsTest, ARendererResetIsRecoveredWithTheSameTextures) {
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    auto draw = [&] {
        Graphics::drawSprite(halves, 25, 35, 32, 32, 0, 0, 32, 32, kWhite, 16, 16, 90);
        Graphics::drawSprite(halves, 300, 300, 64, 32, 0, 0, 32, 32, 0xC0FFFFFF, 0, 0, 0);
    };
    std::vector<uint32_t> before = frame(draw);

    for (int reset = 0; reset < 1000; ++reset) {
        SDL_Event event{};
        event.type = SDL_RENDER_DEVICE_RESET;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        ASSERT_FALSE(Graphics::beginFrame()) << reset;
        Message message;
        while (peekMessage(message)) {
        }
        ASSERT_EQ(frame(draw), before) << reset;
    }
}

}  // namespace
