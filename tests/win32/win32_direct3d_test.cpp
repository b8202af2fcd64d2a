// The Win32 driver's Direct3D 9 and D3DX 9 services on a real device (Wine's, on llvmpipe, in
// the check): the adapter answers, device creation and reset, texture loading and the sprite's
// pixels, read back from the back buffer before it is presented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "platform/direct3d.h"
#include "platform/os.h"
#include "platform/transform2d.h"
#include "platform/types.h"
#include "platform/win32/win32_direct3d.h"
#include "platform/window.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

namespace {

constexpr uint32_t kSize = 128;  // back buffer, square
const float kQuarterTurn = static_cast<float>(90 * 0.0174532924);

// A colour of its own for every texel, and never black.
uint32_t patternTexel(uint32_t x, uint32_t y) {
    return ((x * 7) & 0xFF) << 16 | ((y * 7) & 0xFF) << 8 | (~(x ^ y) & 1) * 0xFF;
}

// A window, the Direct3D object, and a device with its sprite made as the graphics layer makes
// them; every test gets its own.
class Win32Direct3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::registerClass({"Win32D3DTest", 0x2B, platform::defWindowProc, ""}));
        window =
            platform::createWindow("Win32D3DTest", "d3d test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300);
        ASSERT_NE(window, nullptr);
        platform::showWindow(window, SW_SHOW);
        direct3D = platform::direct3DCreate9(32);
        ASSERT_NE(direct3D, nullptr);
        present.deviceWindow = window;
        // Software vertex processing, no driver management.
        ASSERT_EQ(
            platform::createDevice(direct3D, 0, D3DDEVTYPE_HAL, window, 0x122, present, device),
            D3D_OK);
        ASSERT_EQ(platform::d3dxCreateSprite(device, sprite), D3D_OK);
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

    // An opaque square texture of `size` texels, patterned, made and written through the
    // driver as the graphics layer makes its font.
    platform::DeviceTexture* makeTexture(uint32_t size) {
        platform::DeviceTexture* texture = nullptr;
        EXPECT_EQ(platform::createTexture(device, size, size, 1, 0, D3DFMT_A8R8G8B8,
                                          D3DPOOL_MANAGED, texture),
                  D3D_OK);
        platform::LockedRect locked;
        EXPECT_EQ(platform::lockRect(texture, 0, locked, nullptr, 0), D3D_OK);
        for (uint32_t y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<char*>(locked.bits) +
                                                    y * static_cast<uint32_t>(locked.pitch));
            for (uint32_t x = 0; x < size; ++x) {
                row[x] = 0xFF000000u | patternTexel(x, y);
            }
        }
        EXPECT_EQ(platform::unlockRect(texture, 0), D3D_OK);
        textures.push_back(texture);
        return texture;
    }

    // Draws the texture's top-left 32 x 32 texels at (25, 35), in a scene of its own as the
    // graphics layer does, and returns the back buffer as it was before it was presented.
    std::vector<uint32_t> drawOne(platform::DeviceTexture* texture, uint32_t colour,
                                  platform::Vector2 scaling = {1, 1},
                                  platform::Vector2 centre = {0, 0}, float angle = 0) {
        const platform::Vector2 at{25, 35};
        const platform::Rect source{0, 0, 32, 32};
        platform::clear(device, 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        platform::beginScene(device);
        platform::spriteBegin(sprite, D3DXSPRITE_ALPHABLEND);
        platform::spriteSetTransform(
            sprite, platform::matrixTransformation2D(nullptr, 0.0f, &scaling, &centre, angle, &at));
        platform::spriteDraw(sprite, texture, &source, nullptr, nullptr, colour);
        platform::spriteEnd(sprite);
        platform::endScene(device);

        IDirect3DDevice9* native = win32::native(device);
        IDirect3DSurface9 *target = nullptr, *copy = nullptr;
        EXPECT_EQ(native->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &target), D3D_OK);
        EXPECT_EQ(native->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr),
                  D3D_OK);
        EXPECT_EQ(native->GetRenderTargetData(target, copy), D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::vector<uint32_t> pixels(kSize * kSize);
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
        platform::present(device);
        return pixels;
    }

    platform::WindowHandle window = nullptr;
    platform::PresentParameters present{.backBufferWidth = kSize,
                                        .backBufferHeight = kSize,
                                        .backBufferFormat = D3DFMT_X8R8G8B8,
                                        .backBufferCount = 1,
                                        .swapEffect = D3DSWAPEFFECT_DISCARD,
                                        .windowed = true,
                                        .enableAutoDepthStencil = true,
                                        .autoDepthStencilFormat = D3DFMT_D16};
    platform::Direct3D* direct3D = nullptr;
    platform::Device* device = nullptr;
    platform::Sprite* sprite = nullptr;
    std::vector<platform::DeviceTexture*> textures;
};

// Images that load are drawn in the Windows game's check; a missing one is refused when the
// engine first measures it, before any texture is made.
TEST(Win32D3DXTest, AMissingImageFileCannotBeMeasured) {
    platform::ImageInfo info;
    EXPECT_LT(platform::d3dxGetImageInfoFromFile("resources/no-such-file.png", info), 0);
}

// The placements of the graphics layer's sprite rules, drawn by the real sprite from the matrix
// the engine builds: each covers exactly the rectangle the transform gives, and pixel art stays
// sharp, every texel landing whole on its pixels (turned a quarter about its middle, the texel
// at (u, v) lands on (31 - v, u)). At half size only the coverage is certain.
TEST_F(Win32Direct3DTest, SpritesCoverExactlyTheirRectangleTexelForTexel) {
    using TexelAt = uint32_t (*)(uint32_t x, uint32_t y);  // of a pixel, from the top left
    constexpr TexelAt stretched = [](uint32_t x, uint32_t y) { return patternTexel(x / 2, y); };
    constexpr TexelAt turned = [](uint32_t x, uint32_t y) { return patternTexel(y, 31 - x); };
    platform::DeviceTexture* pattern32 = makeTexture(32);
    struct Case {
        const char* name;
        platform::DeviceTexture* texture;
        platform::Vector2 scaling, centre;
        float angle;
        uint32_t width, height;  // of the rectangle at (25, 35)
        TexelAt texelAt;         // null: any colour but black
    };
    const Case cases[] = {
        {"stretched to 64 wide", pattern32, {2, 1}, {0, 0}, 0, 64, 32, stretched},
        {"turned a quarter", pattern32, {1, 1}, {16, 16}, kQuarterTurn, 32, 32, turned},
        {"a 64 x 64 image halved", makeTexture(64), {0.5f, 0.5f}, {0, 0}, 0, 16, 16, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> pixels = drawOne(c.texture, 0xFFFFFFFF, c.scaling, c.centre, c.angle);
        int wrong = 0;
        for (uint32_t y = 0; y < kSize; ++y) {
            for (uint32_t x = 0; x < kSize; ++x) {
                uint32_t pixel = pixels[y * kSize + x];
                uint32_t u = x - 25, v = y - 35;  // left of or above the rectangle: wrapped
                if (u >= c.width || v >= c.height) {
                    wrong += pixel != 0;
                } else {
                    wrong += c.texelAt != nullptr ? pixel != c.texelAt(u, v) : pixel == 0;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << c.name << ": pixels off the rectangle or not exactly their texel";
    }
}

// Resetting the device keeps the sprite and the textures drawing the same blended picture (the
// blend itself is compared with the Linux game's picture in the same check).
TEST_F(Win32Direct3DTest, AResetKeepsTheSpriteDrawing) {
    platform::DeviceTexture* pattern = makeTexture(32);
    std::vector<uint32_t> before = drawOne(pattern, 0x88FFFFFF);
    EXPECT_EQ(platform::spriteOnLostDevice(sprite), D3D_OK);
    EXPECT_EQ(platform::resetDevice(device, present), D3D_OK);
    EXPECT_EQ(platform::spriteOnResetDevice(sprite), D3D_OK);
    EXPECT_EQ(platform::testCooperativeLevel(device), D3D_OK);
    EXPECT_EQ(drawOne(pattern, 0x88FFFFFF), before);
}

// The engine builds sprite matrices itself; they must be the ones D3DX builds from the same
// arguments, missing ones included, or sprites would land elsewhere than on Windows proper.
void expectD3DXMatrix(const platform::Vector2* scalingCentre, float scalingRotation,
                      const platform::Vector2* scaling, const platform::Vector2* centre,
                      float angle, const platform::Vector2* translation) {
    auto d3dx = [](const platform::Vector2* given, D3DXVECTOR2& vector) {
        return given != nullptr ? &(vector = D3DXVECTOR2(given->x, given->y)) : nullptr;
    };
    D3DXVECTOR2 vectors[4];
    D3DXMATRIX theirs;
    D3DXMatrixTransformation2D(&theirs, d3dx(scalingCentre, vectors[0]), scalingRotation,
                               d3dx(scaling, vectors[1]), d3dx(centre, vectors[2]), angle,
                               d3dx(translation, vectors[3]));
    platform::Matrix ours = platform::matrixTransformation2D(scalingCentre, scalingRotation,
                                                             scaling, centre, angle, translation);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(ours.m[i / 4][i % 4], theirs.m[i / 4][i % 4],
                    1e-5f * (1.0f + std::fabs(theirs.m[i / 4][i % 4])))
            << "element " << i << ", angle " << angle;
    }
}

TEST(Win32TransformTest, TheEngineMatrixIsD3DXMatrixTransformation2D) {
    using V = platform::Vector2;
    // Scaling, centre, angle and translation: one like the sprite cases above, and odd ones.
    for (auto [scaling, centre, angle, translation] :
         {std::tuple{V{2, 1}, V{16, 16}, kQuarterTurn, V{25, 35}},
          {{0.5f, 0.25f}, {3, -7}, static_cast<float>(-33 * 0.0174532924), {-12, 480}},
          {{1.25f, 3}, {400, 300}, static_cast<float>(725 * 0.0174532924), {799, 599}}}) {
        expectD3DXMatrix(nullptr, 0.0f, &scaling, &centre, angle, &translation);
    }
    // Stretched along turned axes about a centre of its own; and no steps at all.
    const platform::Vector2 scalingCentre{1, 1}, scaling{2, 0.5f};
    expectD3DXMatrix(&scalingCentre, 0.785398f, &scaling, nullptr, 0.0f, nullptr);
    expectD3DXMatrix(nullptr, 0.5f, nullptr, nullptr, 0.0f, nullptr);
}

}  // namespace
