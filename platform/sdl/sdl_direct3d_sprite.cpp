// The SDL driver's textures and sprite. A texture keeps its pixels (the managed pool) so a
// device reset can upload it again. A sprite draw is placed by the sprite's transform alone.
// On a renderer that draws triangles it becomes a quad of the device's batch, its corners
// carried by the transform; on the software renderer a rectangle copy, upright and unmirrored
// (the common case, placed without taking the transform apart) or turned and flipped.
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

// The top-left `width` x `height` texels of `pixels` when every one of them is opaque, else an
// empty rectangle.
SDL_Rect opaquePart(const SDL_Surface& pixels, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(pixels.pixels) + static_cast<ptrdiff_t>(y) * pixels.pitch);
        if (!std::all_of(row, row + width, [](uint32_t texel) { return texel >= 0xFF000000u; })) {
            return SDL_Rect{0, 0, 0, 0};
        }
    }
    return SDL_Rect{0, 0, width, height};
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

// Whether the transform shears: the images of the x and y axes are not square to each other
// (beyond single precision's crumbs), which a turned rectangle cannot show.
bool shears(const Matrix& m) {
    double dot = double{m.m[0][0]} * m.m[1][0] + double{m.m[0][1]} * m.m[1][1];
    double xLength2 = double{m.m[0][0]} * m.m[0][0] + double{m.m[0][1]} * m.m[0][1];
    double yLength2 = double{m.m[1][0]} * m.m[1][0] + double{m.m[1][1]} * m.m[1][1];
    return dot * dot > 1e-8 * xLength2 * yLength2;
}

// Neither turned nor mirrored: the rectangle is only scaled and moved.
bool upright(const Matrix& m) {
    return m.m[0][1] == 0.0f && m.m[1][0] == 0.0f && m.m[0][0] > 0.0f && m.m[1][1] > 0.0f;
}

SDL_FRect uprightRectangle(const Matrix& m, Vector2 offset, float width, float height) {
    Vector2 topLeft = transformPoint(m, offset);
    return SDL_FRect{snap(topLeft.x), snap(topLeft.y), snap(double{m.m[0][0]} * width),
                     snap(double{m.m[1][1]} * height)};
}

// The transform taken apart into a turn, a scale and a mirroring; it must not shear.
Placement placeAsRectangle(const Matrix& m, Vector2 offset, float width, float height) {
    Placement placement;
    double xScale = std::hypot(m.m[0][0], m.m[0][1]);
    double yScale = std::hypot(m.m[1][0], m.m[1][1]);
    double cosine = m.m[0][0] / xScale;
    double sine = m.m[0][1] / xScale;
    // The image of the y axis, measured across the turned x axis.
    double across = -m.m[1][0] * sine + m.m[1][1] * cosine;
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
    return placement;
}

// The part of `source` (null: the whole texture) inside the texture, empty when none is;
// `offset` moves by what is cut off the top and left, so the rest is drawn where it would be.
SDL_Rect visibleSource(const DeviceTexture& texture, const Rect* source, Vector2& offset) {
    if (source == nullptr) {
        return SDL_Rect{0, 0, texture.pixels->w, texture.pixels->h};
    }
    int32_t left = std::max(source->left, 0), top = std::max(source->top, 0);
    int32_t right = std::min(source->right, texture.pixels->w);
    int32_t bottom = std::min(source->bottom, texture.pixels->h);
    offset.x += static_cast<float>(left - int64_t{source->left});
    offset.y += static_cast<float>(top - int64_t{source->top});
    auto extent = [](int32_t from, int32_t to) {
        return static_cast<int>(std::max<int64_t>(int64_t{to} - from, 0));
    };
    return SDL_Rect{left, top, extent(left, right), extent(top, bottom)};
}

// Whether drawing `area` of `texture` in `colour` blends nothing: opaque texels in an opaque
// colour cover what is below them whole, and a copy is much cheaper than a blend.
bool copies(const DeviceTexture& texture, const SDL_Rect& area, uint32_t colour) {
    const SDL_Rect& opaque = texture.opaque;
    return colour >= 0xFF000000u && area.x >= opaque.x && area.y >= opaque.y &&
           area.x + area.w <= opaque.x + opaque.w && area.y + area.h <= opaque.y + opaque.h;
}

// Quads of `texture` still queued go to the renderer before the texture changes or goes.
void sendQueuedQuads(DeviceTexture& texture) {
    Device* device = texture.device;
    if (device != nullptr && texture.native != nullptr && device->quads.holds(texture.native)) {
        device->quads.flush(device->renderer);
    }
}

void setBlend(DeviceTexture& texture, SDL_BlendMode blend) {
    if (texture.blend != blend) {
        sendQueuedQuads(texture);  // the quads queued keep the blend they were drawn with
        SDL_SetTextureBlendMode(texture.native, blend);
        texture.blend = blend;
    }
}

void setModulation(DeviceTexture& texture, uint32_t colour) {
    if (texture.modulation != colour) {
        SDL_SetTextureColorMod(texture.native, static_cast<Uint8>(colour >> 16),
                               static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
        SDL_SetTextureAlphaMod(texture.native, static_cast<Uint8>(colour >> 24));
        texture.modulation = colour;
    }
}

// Queues the sprite as a quad whose corners the transform places, modulated by its vertices'
// colour (the texture's own modulation stays white).
HRESULT queueQuad(Device& device, DeviceTexture& texture, const SDL_Rect& area, Vector2 offset,
                  const Matrix& m, uint32_t colour) {
    float left = offset.x, top = offset.y;
    float right = left + static_cast<float>(area.w), bottom = top + static_cast<float>(area.h);
    auto corner = [&m](float x, float y) {
        Vector2 at = transformPoint(m, {x, y});
        return SDL_FPoint{at.x, at.y};
    };
    const SDL_FPoint corners[4] = {corner(left, top), corner(right, top), corner(right, bottom),
                                   corner(left, bottom)};
    float texelWidth = 1.0f / static_cast<float>(texture.pixels->w);
    float texelHeight = 1.0f / static_cast<float>(texture.pixels->h);
    SDL_FRect source{
        static_cast<float>(area.x) * texelWidth, static_cast<float>(area.y) * texelHeight,
        static_cast<float>(area.w) * texelWidth, static_cast<float>(area.h) * texelHeight};
    SDL_Color tint{static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8),
                   static_cast<Uint8>(colour), static_cast<Uint8>(colour >> 24)};
    bool sent = device.quads.add(device.renderer, texture.native, corners, source, tint);
    return sent ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT copyRectangle(Device& device, DeviceTexture& texture, const SDL_Rect& area, Vector2 offset,
                      const Matrix& m, uint32_t colour) {
    setModulation(texture, colour);
    float width = static_cast<float>(area.w), height = static_cast<float>(area.h);
    int failed;
    if (upright(m)) {
        SDL_FRect destination = uprightRectangle(m, offset, width, height);
        failed = SDL_RenderCopyF(device.renderer, texture.native, &area, &destination);
    } else {
        Placement placement = placeAsRectangle(m, offset, width, height);
        SDL_FPoint middle{placement.destination.w / 2, placement.destination.h / 2};
        failed = SDL_RenderCopyExF(device.renderer, texture.native, &area, &placement.destination,
                                   placement.degrees, &middle, placement.flip);
    }
    return failed == 0 ? D3D_OK : D3DERR_INVALIDCALL;
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
    texture.blend = SDL_BLENDMODE_BLEND;
    texture.modulation = 0xFFFFFFFF;  // a new texture's
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
    created->opaque = opaquePart(*pixels, static_cast<int>(std::min(imageWidth, texelsWide)),
                                 static_cast<int>(std::min(imageHeight, texelsHigh)));
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
    texture->opaque = SDL_Rect{0, 0, 0, 0};  // whatever is written may be see-through
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
    sendQueuedQuads(*texture);  // drawn before the texture changed, they show it as it was
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
    sendQueuedQuads(*texture);
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
    Vector2 offset{
        (position != nullptr ? position->x : 0.0f) - (centre != nullptr ? centre->x : 0.0f),
        (position != nullptr ? position->y : 0.0f) - (centre != nullptr ? centre->y : 0.0f)};
    SDL_Rect area = visibleSource(*texture, source, offset);
    const Matrix& m = sprite->transform;
    if (area.w <= 0 || area.h <= 0 || (m.m[0][0] == 0 && m.m[0][1] == 0) ||
        (m.m[1][0] == 0 && m.m[1][1] == 0)) {
        return D3D_OK;  // nothing to see
    }

    if (shears(m)) {
        return D3DERR_INVALIDCALL;
    }
    Device& device = *sprite->device;
    // A turned copy would bring the see-through corners of the software renderer's turned
    // image along.
    bool copy = upright(m) && copies(*texture, area, colour);
    setBlend(*texture, copy ? SDL_BLENDMODE_NONE : sprite->blend);
    return device.drawsQuads ? queueQuad(device, *texture, area, offset, m, colour)
                             : copyRectangle(device, *texture, area, offset, m, colour);
}

HRESULT spriteEnd(Sprite* sprite) {
    if (sprite == nullptr || !sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    sprite->inBatch = false;
    return sprite->device->quads.flush(sprite->device->renderer) ? D3D_OK : D3DERR_INVALIDCALL;
}

// The sprite holds nothing of the device's, so a reset needs nothing of it.
HRESULT spriteOnLostDevice(Sprite* sprite) {
    return sprite != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT spriteOnResetDevice(Sprite* sprite) {
    return sprite != nullptr ? D3D_OK : D3DERR_INVALIDCALL;
}

}  // namespace platform
