// Sprites on the SDL driver, pixel by pixel, headless: what Graphics draws is read back from
// the renderer before it is presented.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "../test_support.h"
#include "graphics/graphics.h"
#include "graphics/pixel_font.h"
#include "platform/os.h"
#include "platform/sdl/sdl_state.h"

using namespace platform;

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Left, top, right, bottom, all inclusive.
using Box = std::array<int, 4>;

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
    Texture* image(int width, int height, const std::function<uint32_t(int, int)>& colourAt) {
        std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
        for (int i = 0; i < width * height; ++i) {
            pixels[i] = colourAt(i % width, i / width);
        }
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            pixels.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
        std::string path = folder.file("image" + std::to_string(textures.size()) + ".png");
        EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
        SDL_FreeSurface(surface);
        textures.emplace_back(Graphics::loadTexture(path));
        return textures.back().get();
    }

    // Draws one frame with `draw` and returns what it shows, ARGB row by row. Read after the
    // frame ends, since sprites may wait in a batch until then; headless, presenting keeps the
    // picture (the software renderer's window surface, or an offscreen OpenGL one).
    static std::vector<uint32_t> frame(const std::function<void()>& draw) {
        EXPECT_TRUE(Graphics::beginFrame());
        draw();
        Graphics::endFrame();
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

    testing_support::TempDir folder;
    std::vector<std::unique_ptr<Texture>> textures;
};

// The same pictures from each kind of renderer the driver draws with: the software one, which
// copies a rectangle per sprite, and an OpenGL one, which is sent batches of quads (skipped
// where no OpenGL renderer can be made headless).
class GraphicsPixelsOnEachRendererTest : public GraphicsPixelsTest,
                                         public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, GetParam(), SDL_HINT_OVERRIDE);
        GraphicsPixelsTest::SetUp();
        SDL_RendererInfo info;
        SDL_Renderer* renderer = SDL_GetRenderer(sdl::nativeWindow(Graphics::getWindow()));
        if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0 ||
            SDL_strcmp(info.name, GetParam()) != 0) {
            GTEST_SKIP() << "no " << GetParam() << " renderer here";
        }
        // Mesa's OpenGL leaves allocations behind whenever it is unloaded, which the leak
        // checker of the sanitizer build would take for ours: loaded once more, it stays.
        [[maybe_unused]] static const bool keptLoaded =
            SDL_GL_GetCurrentContext() != nullptr && SDL_GL_LoadLibrary(nullptr) == 0;
    }
    void TearDown() override {
        GraphicsPixelsTest::TearDown();
        SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
    }
};

INSTANTIATE_TEST_SUITE_P(Renderers, GraphicsPixelsOnEachRendererTest,
                         ::testing::Values("software", "opengl"));

TEST_P(GraphicsPixelsOnEachRendererTest, SpritesCoverExactlyTheirRectangleWithTheirImage) {
    // Left half red, right half green: a turn or a mirror shows where each half went.
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    // Quadrants: red, green / blue, white.
    Texture* quadrants = image(64, 64, [](int x, int y) {
        return y < 32 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
    });
    Texture* odd = image(20, 20, [](int, int) { return kWhite; });

    struct Case {
        const char* what;
        Texture* texture;
        int x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, centre, rotation;
        Box box;
        std::function<uint32_t(int, int)> colourAt;  // of a screen pixel inside the box
    } cases[] = {
        {"twice as wide", halves, 25, 35, 64, 32, 0, 0, 32, 32, 0, 0, Box{25, 35, 88, 66},
         [](int x, int) { return x < 57 ? kRed : kGreen; }},
        // The size scales the whole image, so half of it shows a quarter of the image.
        {"a quarter of the image", quadrants, 100, 200, 32, 32, 0, 0, 32, 32, 0, 0,
         Box{100, 200, 115, 215}, [](int, int) { return kRed; }},
        {"a source inside the image", quadrants, 100, 200, 64, 64, 32, 32, 32, 32, 0, 0,
         Box{100, 200, 131, 231}, [](int, int) { return kWhite; }},
        // Only the part of a source inside the texture shows, where it would be anyway.
        {"a source reaching past the texture", quadrants, 100, 200, 64, 64, 32, 32, 64, 64, 0, 0,
         Box{100, 200, 131, 231}, [](int, int) { return kWhite; }},
        // Clockwise on screen: the red left half ends on top, the square stays in place.
        {"a quarter turn about the middle", halves, 25, 35, 32, 32, 0, 0, 32, 32, 16, 90,
         Box{25, 35, 56, 66}, [](int, int y) { return y < 51 ? kRed : kGreen; }},
        {"a half turn about the middle", halves, 100, 100, 32, 32, 0, 0, 32, 32, 16, 180,
         Box{100, 100, 131, 131}, [](int x, int) { return x < 116 ? kGreen : kRed; }},
        {"mirrored by a negative width", halves, 132, 100, -32, 32, 0, 0, 32, 32, 0, 0,
         Box{100, 100, 131, 131}, [](int x, int) { return x < 116 ? kGreen : kRed; }},
        // Beyond the image the texture is transparent: the 20 x 20 image fills no more.
        {"an image smaller than its texture", odd, 0, 0, 32, 32, 0, 0, 32, 32, 0, 0,
         Box{0, 0, 31, 31}, [](int, int) { return kWhite; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto pixels = frame([&] {
            Graphics::drawSprite(c.texture, c.x, c.y, c.width, c.height, c.sourceX, c.sourceY,
                                 c.sourceWidth, c.sourceHeight, kWhite, c.centre, c.centre,
                                 c.rotation);
        });
        // Every pixel: the image inside the box, the black background everywhere else.
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                bool inside = x >= c.box[0] && x <= c.box[2] && y >= c.box[1] && y <= c.box[3];
                ASSERT_EQ(at(pixels, x, y), inside ? c.colourAt(x, y) : kBlack) << x << "," << y;
            }
        }
    }
}

// Sprites of two textures, one of them drawn again in another colour, overlap in the order
// they were drawn, each tinted by its own colour; the see-through texels beyond a smaller
// image leave what is below them.
TEST_P(GraphicsPixelsOnEachRendererTest, SpritesOverlapInCallOrderEachTintedByItsColour) {
    Texture* white = image(32, 32, [](int, int) { return kWhite; });
    Texture* green = image(32, 32, [](int, int) { return kGreen; });
    Texture* small = image(20, 20, [](int, int) { return kWhite; });
    auto pixels = frame([&] {
        Graphics::drawSprite(white, 0, 0, 32, 32, 0, 0, 32, 32, kRed, 0, 0, 0);
        Graphics::drawSprite(green, 16, 0, 32, 32, 0, 0, 32, 32, kWhite, 0, 0, 0);
        Graphics::drawSprite(white, 32, 0, 32, 32, 0, 0, 32, 32, kBlue, 0, 0, 0);
        Graphics::drawSprite(small, 40, 0, 20, 20, 0, 0, 32, 32, kWhite, 0, 0, 0);
        Graphics::drawSprite(white, 64, 0, 32, 32, 0, 0, 32, 32, 0x80FFFFFF, 0, 0, 0);
    });
    for (int x = 0; x < 64; ++x) {
        uint32_t expected = x < 16 ? kRed : x < 32 ? kGreen : x < 40 || x >= 60 ? kBlue : kWhite;
        ASSERT_EQ(at(pixels, x, 10), expected) << x;
    }
    uint32_t half = at(pixels, 80, 10);  // white at alpha 0x80 over the black background
    for (int shift : {0, 8, 16}) {
        EXPECT_NEAR(static_cast<int>((half >> shift) & 0xFF), 0x80, 2) << std::hex << half;
    }
}

// Runs of sprites of two textures, tinted, turned and mirrored, interleaved with drawing that
// is not sprites: a clear hides what was drawn before it, a rectangle fill what was under it,
// and sprites after the fill cover it. Each run and the draws between them change the
// renderer's state, which the OpenGL renderer's sprites share.
TEST_P(GraphicsPixelsOnEachRendererTest, SpriteRunsKeepTheirOrderWithOtherDrawing) {
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    Texture* white = image(32, 32, [](int, int) { return kWhite; });
    auto pixels = frame([&] {
        Graphics::drawSprite(white, 200, 0, 32, 32, 0, 0, 32, 32, kRed, 0, 0, 0);
        Graphics::clear(kBlue);  // sends the sprite before it
        SDL_Renderer* renderer = SDL_GetRenderer(sdl::nativeWindow(Graphics::getWindow()));
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer, 0, 0xFF, 0, 0xFF);
        const SDL_Rect fill{100, 0, 32, 32};
        SDL_RenderFillRect(renderer, &fill);
        Graphics::drawSprite(halves, 0, 0, 32, 32, 0, 0, 32, 32, kWhite, 16, 16, 90);
        Graphics::drawSprite(white, 40, 0, 32, 32, 0, 0, 32, 32, kRed, 0, 0, 0);
        Graphics::drawSprite(halves, 112, 0, -32, 32, 0, 0, 32, 32, kWhite, 0, 0, 0);
        Graphics::drawSprite(white, 124, 0, 16, 32, 0, 0, 32, 32, kWhite, 0, 0, 0);
    });
    // Right of the turned halves along the top 32 rows, each colour up to its end: the tinted
    // white, the mirrored halves partly over the fill, the rest of the fill, the last sprite.
    struct Span {
        int end;
        uint32_t colour;
    };
    constexpr Span spans[] = {{40, kBlue}, {72, kRed},    {80, kBlue},   {96, kGreen},
                              {112, kRed}, {124, kGreen}, {140, kWhite}, {800, kBlue}};
    auto expected = [&spans](int x, int y) {
        if (y >= 32) {
            return kBlue;
        }
        if (x < 32) {
            return y < 16 ? kRed : kGreen;
        }
        return std::find_if(std::begin(spans), std::end(spans),
                            [x](const Span& span) { return x < span.end; })
            ->colour;
    };
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            ASSERT_EQ(at(pixels, x, y), expected(x, y)) << x << "," << y;
        }
    }
}

// Each lit pixel of a glyph is a scale x scale square of the colour and nothing else shows; a
// new line starts under the first; what the font lacks shows as '?'. The font texture is made
// on the device as other textures are loaded, so a renderer reset brings it back too.
TEST_P(GraphicsPixelsOnEachRendererTest, TextLightsExactlyItsGlyphsPixels) {
    const std::string text = "Ag 0\n~\x01";
    const int left = 40, top = 30, scale = 3;
    std::vector<bool> lit(800 * 600);
    int penX = left, penY = top;
    for (char character : text) {
        if (character == '\n') {
            penX = left;
            penY += pixel_font::kLineHeight * scale;
            continue;
        }
        char shown = character == '\x01' ? '?' : character;
        for (int y = 0; y < pixel_font::kGlyphHeight * scale; ++y) {
            for (int x = 0; x < pixel_font::kGlyphWidth * scale; ++x) {
                lit[static_cast<size_t>((penY + y) * 800 + penX + x)] =
                    pixel_font::lit(shown, x / scale, y / scale);
            }
        }
        penX += pixel_font::kAdvance * scale;
    }
    auto draw = [&] { EXPECT_EQ(Graphics::drawText(left, top, text, kGreen, scale), D3D_OK); };
    std::vector<uint32_t> pixels = frame(draw);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            ASSERT_EQ(at(pixels, x, y), lit[static_cast<size_t>(y * 800 + x)] ? kGreen : kBlack)
                << x << "," << y;
        }
    }

    SDL_Event event{};
    event.type = SDL_RENDER_DEVICE_RESET;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    ASSERT_FALSE(Graphics::beginFrame());
    Message message;
    while (peekMessage(message)) {
    }
    EXPECT_EQ(frame(draw), pixels);
}

TEST_F(GraphicsPixelsTest, TheColourBlendsByItsAlphaAndARendererResetKeepsThePicture) {
    Texture* halves = image(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; });
    auto draw = [&] {
        Graphics::drawSprite(halves, 25, 35, 32, 32, 0, 0, 32, 32, kWhite, 16, 16, 90);
        Graphics::drawSprite(halves, 300, 300, 64, 32, 0, 0, 32, 32, 0xC0FFFFFF, 0, 0, 0);
    };
    std::vector<uint32_t> before = frame(draw);
    // The red half at alpha 0xC0 over the black background.
    uint32_t blended = at(before, 310, 310);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 0xC0, 2) << std::hex << blended;
    EXPECT_EQ(blended & 0xFFFF, 0u) << std::hex << blended;

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
