// The drawing side of Graphics: the frame bracket with device-loss recovery, textures and
// sprites.
#include "graphics/graphics.h"

#include <bit>

#include "log/log.h"
#include "platform/constants.h"
#include "platform/transform2d.h"

using namespace platform;

namespace {

// pi / 180 as a float: degrees to radians.
constexpr double kRadiansPerDegree = 0.0174532924;

}  // namespace

bool Graphics::beginFrame() {
    if (device == nullptr) {
        return false;  // no device before the first setScreenFormat or after shutdown
    }
    HRESULT level = testCooperativeLevel(device);
    switch (level) {
        case D3D_OK:
            platform::clear(device, 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000,
                            1.0f, 0);
            beginScene(device);
            spriteBegin(sprite, D3DXSPRITE_ALPHABLEND);
            return true;
        case D3DERR_DEVICELOST:
            return false;
        case D3DERR_DEVICENOTRESET:
            setScreenFormat(currentFormat);
            return false;
        case D3DERR_DRIVERINTERNALERROR:
            Log::error("Video driver internal error, unable to restore device.");
        default:
            Log::error(
                "Unexpected return code from TestCooperativeLevel, unable to restore device.");
    }
}

HRESULT Graphics::endFrame() {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    spriteEnd(sprite);
    endScene(device);
    return present(device);
}

void Graphics::clear(uint32_t colour) {
    if (device != nullptr) {
        platform::clear(device, 0, nullptr, D3DCLEAR_TARGET, colour, 0.0f, 0);
    }
}

namespace {

// Whether `size` texels, rounded up to a power of two as loadTexture's textures are, fit `most`.
bool roundsUpWithin(uint32_t size, uint32_t most) {
    return size <= (uint32_t{1} << 31) && std::bit_ceil(size) <= most;
}

}  // namespace

bool Graphics::fitsInTexture(const ImageInfo& image) {
    return roundsUpWithin(image.width, caps.maxTextureWidth) &&
           roundsUpWithin(image.height, caps.maxTextureHeight);
}

Texture* Graphics::loadTexture(const std::string& path) {
    // Measured before it is decoded: an image too large for the device would otherwise cost its
    // whole decoded size first (gigabytes, from a file of a few hundred bytes) only to fail.
    ImageInfo header;
    if (d3dxGetImageInfoFromFile(path, header) < 0 || !fitsInTexture(header)) {
        Log::error(Log::Text{"Failed to create texture '" + path + "'"});
    }
    DeviceTexture* texture = nullptr;
    ImageInfo info;
    if (d3dxCreateTextureFromFileEx(device, path, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                    D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info,
                                    texture) < 0) {
        Log::error(Log::Text{"Failed to create texture '" + path + "'"});
    }
    SurfaceDesc level;
    if (getLevelDesc(texture, 0, level) < 0) {
        releaseTexture(texture);
        Log::error(Log::Text{"Failed to get level description for texture '" + path + "'"});
    }
    return new Texture(texture, static_cast<int32_t>(info.width), static_cast<int32_t>(info.height),
                       static_cast<int32_t>(level.width), static_cast<int32_t>(level.height));
}

HRESULT Graphics::drawSprite(Texture* texture, int x, int y, int width, int height, int sourceX,
                             int sourceY, int sourceWidth, int sourceHeight, uint32_t colour,
                             int centreX, int centreY, int rotation) {
    if (sprite == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    Rect source{sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight};
    // The scale relates the drawn size to the whole image, not to the source rectangle.
    Vector2 scaling{static_cast<float>(static_cast<double>(width) / texture->getImageWidth()),
                    static_cast<float>(static_cast<double>(height) / texture->getImageHeight())};
    Vector2 translation{static_cast<float>(x), static_cast<float>(y)};
    Vector2 centre{static_cast<float>(centreX), static_cast<float>(centreY)};
    float angle = static_cast<float>(rotation * kRadiansPerDegree);
    Matrix transform =
        matrixTransformation2D(nullptr, 0.0f, &scaling, &centre, angle, &translation);
    spriteSetTransform(sprite, transform);
    return spriteDraw(sprite, texture->getTexture(), &source, nullptr, nullptr, colour);
}

HRESULT Graphics::drawSprite(Texture* texture, int x, int y) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    int width = texture->getImageWidth(), height = texture->getImageHeight();
    return drawSprite(texture, x, y, width, height, 0, 0, width, height, 0xFFFFFFFF, 0, 0, 0);
}
