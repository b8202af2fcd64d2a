// The SDL driver's textures and sprite. A texture keeps its pixels (the managed pool) so a
// device reset can upload it again. A sprite draw is placed by the sprite's transform alone:
// as a turned, scaled and possibly mirrored rectangle when the transform is one (with the
// software renderer's plain copy when it is not even turned), else as two triangles.
#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/sdl/sdl_direct3d.h"
#include "platform/sdl/sdl_image_file.h"

using namespace platform;

namespace {

// D3DX_DEFAULT (or 0) asks for the image's size rounded up to a power of two.
uint32_t textureSize(uint32_t requested, uint32_t imageSize) {
    return requested == D3DX_DEFAULT || requested == 0 ? std::bit_ceil(imageSize) : requested;
}

// The image in the top-left corner of a transparent black surface of the texture's size.
SDL_Surface* texturePixels(SDL_Surface* image, uint32_t width, uint32_t height,
                           uint32_t colourKey) {
    SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormat(
        0, static_cast<int>(width), static_cast<int>(height), 32, SDL_PIXELFORMAT_ARGB8888);
    if (pixels == nullptr) {
        return nullptr;
    }
    SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
    if (SDL_BlitSurface(image, nullptr, pixels, nullptr) != 0) {
        SDL_FreeSurface(pixels);
        return nullptr;
    }
    if (colourKey != 0) {
        for (int y = 0; y < pixels->h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels->pixels) +
                                                    static_cast<ptrdiff_t>(y) * pixels->pitch);
            std::replace(row, row + pixels->w, colourKey, 0u);
        }
    }
    return pixels;
}

// A texture of `device` that takes over `pixels` and is uploaded; null, and `pixels` freed, when
// the renderer refuses it.
DeviceTexture* adopt(Device* device, SDL_Surface* pixels) {
    auto* texture = new DeviceTexture{pixels, nullptr, device};
    if (!sdl::uploadTexture(*texture, device->renderer)) {
        if (texture->native != nullptr) {
            SDL_DestroyTexture(texture->native);
        }
        SDL_FreeSurface(pixels);
        delete texture;
        return nullptr;
    }
    device->textures.push_back(texture);
    return texture;
}

// Values within a thousandth of a whole number are that number: a quarter turn in single
// precision leaves such crumbs, and the software renderer truncates coordinates.
float snap(double value) {
    double whole = std::round(value);
    return static_cast<float>(std::fabs(value - whole) < 1e-3 ? whole : value);
}

// A draw as the renderer's copy takes it: the rectangle before turning, the turn in degrees
// clockwise about the rectangle's middle, and a mirroring.
struct Placement {
    SDL_FRect destination;
    double degrees = 0.0;
    SDL_RendererFlip flip = SDL_FLIP_NONE;
};

// False when the transform shears the sprite, which a turned rectangle cannot show.
bool placeAsRectangle(const Matrix& m, Vector2 offset, float width, float height,
                      Placement& placement) {
    double xScale = std::hypot(m.m[0][0], m.m[0][1]);
    double yScale = std::hypot(m.m[1][0], m.m[1][1]);
    double cosine = m.m[0][0] / xScale;
    double sine = m.m[0][1] / xScale;
    // The image of the y axis, measured along and across the turned x axis.
    double along = m.m[1][0] * cosine + m.m[1][1] * sine;
    double across = -m.m[1][0] * sine + m.m[1][1] * cosine;
    if (std::fabs(along) > 1e-4 * yScale) {
        return false;
    }
    double degrees = std::atan2(sine, cosine) * 180.0 / M_PI;
    double quarterTurns = std::round(degrees / 90.0);
    if (std::fabs(degrees - quarterTurns * 90.0) < 1e-3) {
        degrees = quarterTurns * 90.0;
    }
    placement.degrees = degrees == -180.0 ? 180.0 : degrees;
    placement.flip = across < 0 ? SDL_FLIP_VERTICAL : SDL_FLIP_NONE;

    float drawnWidth = snap(xScale * width);
    float drawnHeight = snap(yScale * height);
    Vector2 middle = transformPoint(m, {offset.x + width / 2, offset.y + height / 2});
    placement.destination = SDL_FRect{snap(middle.x - drawnWidth / 2.0),
                                      snap(middle.y - drawnHeight / 2.0), drawnWidth, drawnHeight};
    return true;
}

}  // namespace

namespace sdl {

bool uploadTexture(DeviceTexture& texture, SDL_Renderer* renderer) {
    if (texture.native != nullptr) {
        SDL_DestroyTexture(texture.native);
    }
    texture.native = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       texture.pixels->w, texture.pixels->h);
    if (texture.native == nullptr ||
        SDL_UpdateTexture(texture.native, nullptr, texture.pixels->pixels, texture.pixels->pitch) !=
            0) {
        return false;
    }
    SDL_SetTextureBlendMode(texture.native, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture.native, SDL_ScaleModeNearest);
    return true;
}

}  // namespace sdl

namespace platform {

HRESULT d3dxGetImageInfoFromFile(const std::string& path, ImageInfo& info) {
    sdl::ImageHeader header = sdl::readImageHeader(path);
    if (header.format == sdl::ImageFormat::unknown) {
        return D3DXERR_INVALIDDATA;
    }
    info = ImageInfo{header.width, header.height};
    return D3D_OK;
}

HRESULT d3dxCreateTextureFromFileEx(Device* device, const std::string& path, uint32_t width,
                                    uint32_t height, uint32_t, uint32_t, D3DFORMAT, uint32_t,
                                    uint32_t, uint32_t, uint32_t colourKey, ImageInfo* info,
                                    DeviceTexture*& texture) {
    if (device == nullptr || device->renderer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    SDL_Surface* loaded = sdl::decodeImage(path, sdl::readImageHeader(path).format);
    if (loaded == nullptr) {
        return D3DXERR_INVALIDDATA;
    }
    SDL_Surface* image = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (image == nullptr) {
        return D3DXERR_INVALIDDATA;
    }
    uint32_t imageWidth = static_cast<uint32_t>(image->w);
    uint32_t imageHeight = static_cast<uint32_t>(image->h);
    uint32_t texelsWide = imageWidth <= sdl::kMaxTextureSize ? textureSize(width, imageWidth) : 0;
    uint32_t texelsHigh =
        imageHeight <= sdl::kMaxTextureSize ? textureSize(height, imageHeight) : 0;
    SDL_Surface* pixels = nullptr;
    if (texelsWide > 0 && texelsHigh > 0 && texelsWide <= sdl::kMaxTextureSize &&
        texelsHigh <= sdl::kMaxTextureSize) {
        pixels = texturePixels(image, texelsWide, texelsHigh, colourKey);
    }
    SDL_FreeSurface(image);
    if (pixels == nullptr) {
        return D3DXERR_INVALIDDATA;
    }

    DeviceTexture* created = adopt(device, pixels);
    if (created == nullptr) {
        return E_FAIL;
    }
    if (info != nullptr) {
        *info = ImageInfo{imageWidth, imageHeight};
    }
    texture = created;
    return D3D_OK;
}

HRESULT createTexture(Device* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t,
                      D3DFORMAT format, uint32_t pool, DeviceTexture*& texture) {
    if (device == nullptr || device->renderer == nullptr || width == 0 || height == 0 ||
        width > sdl::kMaxTextureSize || height > sdl::kMaxTextureSize || levels != 1 ||
        format != D3DFMT_A8R8G8B8 || pool != D3DPOOL_MANAGED) {
        return D3DERR_INVALIDCALL;
    }
    SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormat(
        0, static_cast<int>(width), static_cast<int>(height), 32, SDL_PIXELFORMAT_ARGB8888);
    if (pixels == nullptr) {
        return E_FAIL;
    }
    DeviceTexture* created = adopt(device, pixels);
    if (created == nullptr) {
        return E_FAIL;
    }
    texture = created;
    return D3D_OK;
}

HRESULT lockRect(DeviceTexture* texture, uint32_t level, LockedRect& locked, const Rect* rect,
                 uint32_t) {
    if (texture == nullptr || level != 0 || texture->locked) {
        return D3DERR_INVALIDCALL;
    }
    Rect area{0, 0, texture->pixels->w, texture->pixels->h};
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > area.right || rect->bottom > area.bottom) {
            return D3DERR_INVALIDCALL;
        }
        area = *rect;
    }
    texture->locked = true;
    locked.pitch = texture->pixels->pitch;
    locked.bits = static_cast<uint8_t*>(texture->pixels->pixels) +
                  static_cast<ptrdiff_t>(area.top) * texture->pixels->pitch + area.left * 4;
    return D3D_OK;
}

// The kept pixels go to the renderer again, whole: textures are written rarely and are small.
HRESULT unlockRect(DeviceTexture* texture, uint32_t level) {
    if (texture == nullptr || level != 0 || !texture->locked) {
        return D3DERR_INVALIDCALL;
    }
    texture->locked = false;
    if (texture->native != nullptr &&
        SDL_UpdateTexture(texture->native, nullptr, texture->pixels->pixels,
                          texture->pixels->pitch) != 0) {
        return E_FAIL;
    }
    return D3D_OK;
}

HRESULT getLevelDesc(DeviceTexture* texture, uint32_t level, SurfaceDesc& desc) {
    if (texture == nullptr || level != 0) {
        return D3DERR_INVALIDCALL;
    }
    desc = SurfaceDesc{D3DFMT_A8R8G8B8, static_cast<uint32_t>(texture->pixels->w),
                       static_cast<uint32_t>(texture->pixels->h)};
    return D3D_OK;
}

void releaseTexture(DeviceTexture* texture) {
    if (texture == nullptr) {
        return;
    }
    if (texture->device != nullptr) {
        std::erase(texture->device->textures, texture);
    }
    if (texture->native != nullptr) {
        SDL_DestroyTexture(texture->native);
    }
    SDL_FreeSurface(texture->pixels);
    delete texture;
}

HRESULT d3dxCreateSprite(Device* device, Sprite*& sprite) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    sprite = new Sprite{device};
    return D3D_OK;
}

void releaseSprite(Sprite* sprite) {
    delete sprite;
}

HRESULT spriteBegin(Sprite* sprite, uint32_t flags) {
    if (sprite == nullptr || sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    sprite->inBatch = true;
    sprite->blend = (flags & D3DXSPRITE_ALPHABLEND) != 0 ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE;
    return D3D_OK;
}

HRESULT spriteSetTransform(Sprite* sprite, const Matrix& transform) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    sprite->transform = transform;
    return D3D_OK;
}

HRESULT spriteDraw(Sprite* sprite, DeviceTexture* texture, const Rect* source,
                   const Vector3* centre, const Vector3* position, uint32_t colour) {
    if (sprite == nullptr || !sprite->inBatch || texture == nullptr ||
        texture->device != sprite->device || texture->native == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    SDL_Rect area{0, 0, texture->pixels->w, texture->pixels->h};
    if (source != nullptr) {
        area = SDL_Rect{source->left, source->top, source->right - source->left,
                        source->bottom - source->top};
    }
    Vector2 offset{
        (position != nullptr ? position->x : 0.0f) - (centre != nullptr ? centre->x : 0.0f),
        (position != nullptr ? position->y : 0.0f) - (centre != nullptr ? centre->y : 0.0f)};
    const Matrix& m = sprite->transform;
    if (area.w <= 0 || area.h <= 0 || (m.m[0][0] == 0 && m.m[0][1] == 0) ||
        (m.m[1][0] == 0 && m.m[1][1] == 0)) {
        return D3D_OK;  // nothing to see
    }

    SDL_Renderer* renderer = sprite->device->renderer;
    SDL_Color tint{static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8),
                   static_cast<Uint8>(colour), static_cast<Uint8>(colour >> 24)};
    SDL_SetTextureBlendMode(texture->native, sprite->blend);
    SDL_SetTextureColorMod(texture->native, tint.r, tint.g, tint.b);
    SDL_SetTextureAlphaMod(texture->native, tint.a);

    Placement placement;
    if (!placeAsRectangle(m, offset, static_cast<float>(area.w), static_cast<float>(area.h),
                          placement)) {
        return D3DERR_INVALIDCALL;
    }
    int failed;
    if (placement.degrees == 0.0 && placement.flip == SDL_FLIP_NONE) {
        failed = SDL_RenderCopyF(renderer, texture->native, &area, &placement.destination);
    } else {
        SDL_FPoint middle{placement.destination.w / 2, placement.destination.h / 2};
        failed = SDL_RenderCopyExF(renderer, texture->native, &area, &placement.destination,
                                   placement.degrees, &middle, placement.flip);
    }
    return failed == 0 ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT spriteEnd(Sprite* sprite) {
    if (sprite == nullptr || !sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    sprite->inBatch = false;
    return D3D_OK;
}

// The sprite holds nothing of the device's, so a reset needs nothing of it.
HRESULT spriteOnLostDevice(Sprite* sprite) {
    return sprite != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT spriteOnResetDevice(Sprite* sprite) {
    return sprite != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
}

}  // namespace platform
