// The Win32 driver's Direct3D 9 and D3DX 9 services on a real device (Wine's, on llvmpipe, in
// the check): the adapter answers, device creation and reset, texture loading and the sprite's
// pixels, read back from the back buffer before it is presented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/direct3d.h"
#include "platform/os.h"
#include "platform/transform2d.h"
#include "platform/types.h"
#include "platform/win32/win32_direct3d.h"
#include "platform/win32/win32_state.h"
#include "platform/window.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

namespace {

constexpr uint32_t kSize = 128;  // back buffer, square
constexpr uint32_t kWindowed = 0x06CA0000;

intptr_t plainProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) {
    return platform::defWindowProc(window, message, wParam, lParam);
}

class Win32Direct3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::registerClass({"Win32D3DTest", 0x2B, plainProcedure, ""}));
        window = platform::createWindow("Win32D3DTest", "d3d test", kWindowed, 0, 0, 300, 300);
        ASSERT_NE(window, nullptr);
        platform::showWindow(window, SW_SHOW);
        direct3D = platform::direct3DCreate9(32);
        ASSERT_NE(direct3D, nullptr);
    }
    void TearDown() override {
        platform::releaseSprite(sprite);
        for (auto* texture : textures) {
            platform::releaseTexture(texture);
        }
        platform::releaseDevice(device);
        platform::releaseDirect3D(direct3D);
        platform::destroyWindow(window);
    }

    platform::PresentParameters parameters() const {
        platform::PresentParameters parameters;
        parameters.backBufferWidth = kSize;
        parameters.backBufferHeight = kSize;
        parameters.backBufferFormat = 22;  // X8R8G8B8
        parameters.backBufferCount = 1;
        parameters.swapEffect = 1;  // discard
        parameters.deviceWindow = window;
        parameters.windowed = true;
        parameters.enableAutoDepthStencil = true;
        parameters.autoDepthStencilFormat = 80;  // D16
        return parameters;
    }

    void createDevice() {
        platform::PresentParameters present = parameters();
        ASSERT_EQ(platform::createDevice(direct3D, 0, 1, window, 0x122, present, device), D3D_OK);
        ASSERT_EQ(platform::d3dxCreateSprite(device, sprite), D3D_OK);
    }

    // An opaque square texture of `size` texels, made through the real device: white, or
    // with a colour of its own for every texel (patterned).
    platform::DeviceTexture* whiteTexture(uint32_t size) { return makeTexture(size, false); }
    platform::DeviceTexture* patternTexture(uint32_t size) { return makeTexture(size, true); }
    static uint32_t patternTexel(uint32_t x, uint32_t y) {
        return 0xFF000000u | ((x * 7) & 0xFF) << 16 | ((y * 7) & 0xFF) << 8 | ((x ^ y) & 1) * 0xFF;
    }

    platform::DeviceTexture* makeTexture(uint32_t size, bool patterned) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(win32::native(device)->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (uint32_t y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<char*>(locked.pBits) +
                                                    y * static_cast<uint32_t>(locked.Pitch));
            for (uint32_t x = 0; x < size; ++x) {
                row[x] = patterned ? patternTexel(x, y) : 0xFFFFFFFFu;
            }
        }
        texture->UnlockRect(0);
        textures.push_back(win32::handle(texture));
        return textures.back();
    }

    // Draws the sprite of one scene as the graphics layer does, and returns the back buffer.
    std::vector<uint32_t> drawOne(platform::DeviceTexture* texture, platform::Rect source,
                                  platform::Vector2 scaling, platform::Vector2 centre, float angle,
                                  platform::Vector2 at, uint32_t colour) {
        platform::clear(device, 0, nullptr, 3, 0x00000000, 1.0f, 0);
        platform::beginScene(device);
        platform::spriteBegin(sprite, 0x10);
        platform::spriteSetTransform(
            sprite, platform::matrixTransformation2D(nullptr, 0.0f, &scaling, &centre, angle, &at));
        platform::spriteDraw(sprite, texture, &source, nullptr, nullptr, colour);
        platform::spriteEnd(sprite);
        platform::endScene(device);
        std::vector<uint32_t> pixels = backBuffer();
        platform::present(device);
        return pixels;
    }

    std::vector<uint32_t> backBuffer() {
        IDirect3DDevice9* native = win32::native(device);
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* copy = nullptr;
        std::vector<uint32_t> pixels(kSize * kSize);
        EXPECT_EQ(native->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &target), D3D_OK);
        EXPECT_EQ(native->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr),
                  D3D_OK);
        EXPECT_EQ(native->GetRenderTargetData(target, copy), D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (uint32_t y = 0; y < kSize; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                          y * static_cast<uint32_t>(locked.Pitch));
            for (uint32_t x = 0; x < kSize; ++x) {
                pixels[y * kSize + x] = row[x] & 0x00FFFFFF;
            }
        }
        copy->UnlockRect();
        copy->Release();
        target->Release();
        return pixels;
    }

    // The bounding box of the pixels that are not black: left, top, right, bottom (inclusive).
    static platform::Rect covered(const std::vector<uint32_t>& pixels) {
        platform::Rect box{INT32_MAX, INT32_MAX, -1, -1};
        for (uint32_t y = 0; y < kSize; ++y) {
            for (uint32_t x = 0; x < kSize; ++x) {
                if (pixels[y * kSize + x] != 0) {
                    box.left = std::min<int32_t>(box.left, x);
                    box.top = std::min<int32_t>(box.top, y);
                    box.right = std::max<int32_t>(box.right, x);
                    box.bottom = std::max<int32_t>(box.bottom, y);
                }
            }
        }
        return box;
    }

    platform::WindowHandle window = nullptr;
    platform::Direct3D* direct3D = nullptr;
    platform::Device* device = nullptr;
    platform::Sprite* sprite = nullptr;
    std::vector<platform::DeviceTexture*> textures;
};

TEST_F(Win32Direct3DTest, TheAdapterDescribesItselfAndItsModes) {
    platform::DisplayMode desktop;
    ASSERT_EQ(platform::getAdapterDisplayMode(direct3D, 0, desktop), D3D_OK);
    EXPECT_GT(desktop.width, 0u);
    EXPECT_GT(desktop.height, 0u);
    EXPECT_EQ(desktop.format, 22u) << "the desktop of the check is 24-bit colour";

    platform::AdapterIdentifier identifier;
    ASSERT_EQ(platform::getAdapterIdentifier(direct3D, 0, 0, identifier), D3D_OK);
    EXPECT_FALSE(identifier.description.empty());
    EXPECT_FALSE(identifier.driver.empty());

    uint32_t count = platform::getAdapterModeCount(direct3D, 0, 22);
    ASSERT_GT(count, 0u);
    platform::DisplayMode mode;
    ASSERT_EQ(platform::enumAdapterModes(direct3D, 0, 22, count - 1, mode), D3D_OK);
    EXPECT_EQ(mode.format, 22u);
    platform::DisplayMode untouched{1, 2, 3, 4};
    EXPECT_LT(platform::enumAdapterModes(direct3D, 0, 22, count, untouched), 0);
    EXPECT_EQ(untouched.width, 1u);

    EXPECT_EQ(platform::checkDeviceType(direct3D, 0, 1, 22, 22, true), D3D_OK);
    platform::DeviceCaps caps;
    EXPECT_EQ(platform::getDeviceCaps(direct3D, 0, 1, caps), D3D_OK);
}

// The failures the graphics layer acts on reach it as failure codes, with nothing half made.
TEST_F(Win32Direct3DTest, RefusalsComeBackAsFailureCodes) {
    constexpr uint32_t kNoSuchAdapter = 9;
    platform::DisplayMode mode{1, 2, 3, 4};
    EXPECT_LT(platform::getAdapterDisplayMode(direct3D, kNoSuchAdapter, mode), 0);
    EXPECT_EQ(mode.width, 1u);
    EXPECT_LT(platform::checkDeviceType(direct3D, kNoSuchAdapter, 1, 22, 22, true), 0);
    platform::PresentParameters present = parameters();
    EXPECT_LT(platform::createDevice(direct3D, kNoSuchAdapter, 1, window, 0x122, present, device),
              0);
    EXPECT_EQ(device, nullptr);
}

TEST_F(Win32Direct3DTest, TexturesLoadIntoPowerOfTwoSizesAndMissingFilesFail) {
    createDevice();
    platform::DeviceTexture* texture = nullptr;
    platform::ImageInfo info;
    ASSERT_EQ(
        platform::d3dxCreateTextureFromFileEx(device, "resources/backdrop.png", 0xFFFFFFFF,
                                              0xFFFFFFFF, 1, 0, 0, 1, 1, 1, 0, &info, texture),
        D3D_OK)
        << "run from the repository's root";
    textures.push_back(texture);
    EXPECT_EQ(info.width, 800u);
    EXPECT_EQ(info.height, 600u);
    platform::SurfaceDesc level;
    ASSERT_EQ(platform::getLevelDesc(texture, 0, level), D3D_OK);
    EXPECT_EQ(level.width, 1024u);
    EXPECT_EQ(level.height, 1024u);
    EXPECT_LT(platform::getLevelDesc(texture, 1, level), 0) << "one level only";

    platform::DeviceTexture* missing = nullptr;
    EXPECT_LT(
        platform::d3dxCreateTextureFromFileEx(device, "resources/no-such-file.png", 0xFFFFFFFF,
                                              0xFFFFFFFF, 1, 0, 0, 1, 1, 1, 0, &info, missing),
        0);
    EXPECT_EQ(missing, nullptr);
}

// The placements of the graphics layer's sprite rules, drawn by the real sprite from the matrix
// the engine builds: exact coverage at integer positions and quarter turns.
TEST_F(Win32Direct3DTest, SpritesCoverExactlyTheRectangleTheTransformGives) {
    createDevice();
    platform::DeviceTexture* white32 = whiteTexture(32);
    platform::DeviceTexture* white64 = whiteTexture(64);
    const float quarterTurn = static_cast<float>(90 * 0.0174532924);
    struct Case {
        const char* name;
        platform::DeviceTexture* texture;
        platform::Rect source;
        platform::Vector2 scaling, centre;
        float angle;
        platform::Rect expected;
    };
    const Case cases[] = {
        {"32 x 32 at (25, 35)", white32, {0, 0, 32, 32}, {1, 1}, {0, 0}, 0, {25, 35, 56, 66}},
        {"stretched to 64 wide", white32, {0, 0, 32, 32}, {2, 1}, {0, 0}, 0, {25, 35, 88, 66}},
        {"quarter of a 64 x 64 image at half size",
         white64,
         {0, 0, 32, 32},
         {0.5f, 0.5f},
         {0, 0},
         0,
         {25, 35, 40, 50}},
        {"quarter turn about the middle",
         white32,
         {0, 0, 32, 32},
         {1, 1},
         {16, 16},
         quarterTurn,
         {25, 35, 56, 66}},
    };
    for (const Case& c : cases) {
        platform::Rect box = covered(
            drawOne(c.texture, c.source, c.scaling, c.centre, c.angle, {25, 35}, 0xFFFFFFFF));
        EXPECT_EQ(box.left, c.expected.left) << c.name;
        EXPECT_EQ(box.top, c.expected.top) << c.name;
        EXPECT_EQ(box.right, c.expected.right) << c.name;
        EXPECT_EQ(box.bottom, c.expected.bottom) << c.name;
    }
}

// Pixel art stays sharp: every texel lands whole on its pixel, at the image's own size, at
// twice its width, and turned a quarter about its middle (a texel at (u, v) then lands on
// (31 - v, u) of the square).
TEST_F(Win32Direct3DTest, TexelsLandWholeOnTheirPixels) {
    createDevice();
    platform::DeviceTexture* pattern = patternTexture(32);
    const float quarterTurn = static_cast<float>(90 * 0.0174532924);
    std::vector<uint32_t> plain =
        drawOne(pattern, {0, 0, 32, 32}, {1, 1}, {0, 0}, 0, {25, 35}, 0xFFFFFFFF);
    std::vector<uint32_t> wide =
        drawOne(pattern, {0, 0, 32, 32}, {2, 1}, {0, 0}, 0, {25, 35}, 0xFFFFFFFF);
    std::vector<uint32_t> turned =
        drawOne(pattern, {0, 0, 32, 32}, {1, 1}, {16, 16}, quarterTurn, {25, 35}, 0xFFFFFFFF);
    int wrong = 0;
    for (uint32_t v = 0; v < 32; ++v) {
        for (uint32_t u = 0; u < 32; ++u) {
            uint32_t texel = patternTexel(u, v) & 0x00FFFFFF;
            wrong += plain[(35 + v) * kSize + 25 + u] != texel;
            wrong += wide[(35 + v) * kSize + 25 + 2 * u] != texel;
            wrong += wide[(35 + v) * kSize + 26 + 2 * u] != texel;
            wrong += turned[(35 + u) * kSize + 25 + 31 - v] != texel;
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels that are not exactly their texel";
}

TEST_F(Win32Direct3DTest, ColourAlphaBlendsOverTheBackground) {
    createDevice();
    std::vector<uint32_t> pixels =
        drawOne(whiteTexture(32), {0, 0, 32, 32}, {1, 1}, {0, 0}, 0, {10, 10}, 0x88FFFFFF);
    uint32_t inside = pixels[20 * kSize + 20];
    for (int shift : {0, 8, 16}) {
        int channel = static_cast<int>((inside >> shift) & 0xFF);
        EXPECT_NEAR(channel, 0x88, 2) << "white at alpha 0x88 over black";
    }
}

TEST_F(Win32Direct3DTest, ResetKeepsTheSpriteAndTexturesDrawing) {
    createDevice();
    platform::DeviceTexture* texture = whiteTexture(32);
    std::vector<uint32_t> before =
        drawOne(texture, {0, 0, 32, 32}, {1, 1}, {0, 0}, 0, {25, 35}, 0xFFFFFFFF);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(platform::spriteOnLostDevice(sprite), D3D_OK);
        platform::PresentParameters present = parameters();
        EXPECT_EQ(platform::resetDevice(device, present), D3D_OK);
        EXPECT_EQ(platform::spriteOnResetDevice(sprite), D3D_OK);
        EXPECT_EQ(platform::testCooperativeLevel(device), D3D_OK);
    }
    EXPECT_EQ(drawOne(texture, {0, 0, 32, 32}, {1, 1}, {0, 0}, 0, {25, 35}, 0xFFFFFFFF), before);
}

// The engine builds sprite matrices itself; they must be the ones D3DX builds from the same
// arguments, or sprites would land elsewhere than on Windows proper.
TEST(Win32TransformTest, TheEngineMatrixIsD3DXMatrixTransformation2D) {
    struct Case {
        platform::Vector2 scaling, centre;
        float angle;
        platform::Vector2 translation;
    };
    const Case cases[] = {
        {{1, 1}, {0, 0}, 0, {0, 0}},
        {{1, 1}, {0, 0}, 0, {25, 35}},
        {{2, 1}, {16, 16}, static_cast<float>(90 * 0.0174532924), {25, 35}},
        {{0.5f, 0.25f}, {3, -7}, static_cast<float>(-33 * 0.0174532924), {-12, 480}},
        {{1.25f, 3}, {400, 300}, static_cast<float>(725 * 0.0174532924), {799, 599}},
    };
    for (const Case& c : cases) {
        platform::Matrix ours = platform::matrixTransformation2D(
            nullptr, 0.0f, &c.scaling, &c.centre, c.angle, &c.translation);
        D3DXVECTOR2 scaling(c.scaling.x, c.scaling.y), centre(c.centre.x, c.centre.y),
            translation(c.translation.x, c.translation.y);
        D3DXMATRIX theirs;
        ASSERT_NE(D3DXMatrixTransformation2D(&theirs, nullptr, 0.0f, &scaling, &centre, c.angle,
                                             &translation),
                  nullptr);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                EXPECT_NEAR(ours.m[row][column], theirs.m[row][column],
                            1e-5f * (1.0f + std::fabs(theirs.m[row][column])))
                    << "row " << row << ", column " << column << ", angle " << c.angle;
            }
        }
    }
}

}  // namespace
