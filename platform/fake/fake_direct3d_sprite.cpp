// The fake driver's textures and sprite: images described by tests, draws recorded with the
// transform in force.
#include <bit>
#include <cstdio>

#include "platform/fake/fake_direct3d_state.h"

using namespace platform;

namespace fake {

using detail::direct3DState;

void addImage(const std::string& path, uint32_t width, uint32_t height) {
    direct3DState().images[path] = detail::Image{width, height};
}

void failNextLevelDesc() {
    direct3DState().failNextLevelDesc = true;
}

const std::vector<Draw>& draws() {
    return direct3DState().draws;
}

}  // namespace fake

namespace platform {

using fake::detail::direct3DState;
using fake::detail::recordCall;

namespace {

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// D3DX_DEFAULT (or 0) asks for the image's size rounded up to a power of two.
uint32_t textureSize(uint32_t requested, uint32_t imageSize) {
    return requested == D3DX_DEFAULT || requested == 0 ? std::bit_ceil(imageSize) : requested;
}

}  // namespace

HRESULT d3dxGetImageInfoFromFile(const std::string& path, ImageInfo& info) {
    auto found = direct3DState().images.find(path);
    if (found == direct3DState().images.end()) {
        return D3DXERR_INVALIDDATA;
    }
    info = ImageInfo{found->second.width, found->second.height};
    return D3D_OK;
}

HRESULT d3dxCreateTextureFromFileEx(Device* device, const std::string& path, uint32_t width,
                                    uint32_t height, uint32_t, uint32_t, D3DFORMAT, uint32_t,
                                    uint32_t, uint32_t, uint32_t, ImageInfo* info,
                                    DeviceTexture*& texture) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto& state = direct3DState();
    auto found = state.images.find(path);
    if (found == state.images.end()) {
        return D3DXERR_INVALIDDATA;
    }
    auto created = std::make_unique<DeviceTexture>();
    created->width = textureSize(width, found->second.width);
    created->height = textureSize(height, found->second.height);
    if (info != nullptr) {
        *info = ImageInfo{found->second.width, found->second.height};
    }
    state.textures.push_back(std::move(created));
    texture = state.textures.back().get();
    return D3D_OK;
}

HRESULT createTexture(Device* device, uint32_t width, uint32_t height, uint32_t levels,
                      uint32_t usage, D3DFORMAT format, uint32_t pool, DeviceTexture*& texture) {
    if (device == nullptr || width == 0 || height == 0) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("CreateTexture " + std::to_string(width) + " " + std::to_string(height) + " " +
               std::to_string(levels) + " " + std::to_string(usage) + " " +
               std::to_string(format) + " " + std::to_string(pool));
    auto created = std::make_unique<DeviceTexture>();
    created->width = width;
    created->height = height;
    created->texels.resize(static_cast<size_t>(width) * height);
    direct3DState().textures.push_back(std::move(created));
    texture = direct3DState().textures.back().get();
    return D3D_OK;
}

HRESULT lockRect(DeviceTexture* texture, uint32_t level, LockedRect& locked, const Rect* rect,
                 uint32_t) {
    if (texture == nullptr || level != 0 || texture->texels.empty() || texture->locked ||
        rect != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    texture->locked = true;
    locked.pitch = static_cast<int32_t>(texture->width * 4);
    locked.bits = texture->texels.data();
    return D3D_OK;
}

HRESULT unlockRect(DeviceTexture* texture, uint32_t level) {
    if (texture == nullptr || level != 0 || !texture->locked) {
        return D3DERR_INVALIDCALL;
    }
    texture->locked = false;
    return D3D_OK;
}

HRESULT getLevelDesc(DeviceTexture* texture, uint32_t level, SurfaceDesc& desc) {
    if (texture == nullptr || level != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (direct3DState().failNextLevelDesc) {
        direct3DState().failNextLevelDesc = false;
        return D3DERR_INVALIDCALL;
    }
    desc = SurfaceDesc{D3DFMT_A8R8G8B8, texture->width, texture->height};
    return D3D_OK;
}

void releaseTexture(DeviceTexture* texture) {
    if (texture != nullptr) {
        --texture->references;
    }
}

HRESULT d3dxCreateSprite(Device* device, Sprite*& sprite) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    direct3DState().sprites.push_back(std::make_unique<Sprite>());
    sprite = direct3DState().sprites.back().get();
    return D3D_OK;
}

void releaseSprite(Sprite* sprite) {
    if (sprite != nullptr) {
        --sprite->references;
    }
}

HRESULT spriteBegin(Sprite* sprite, uint32_t flags) {
    if (sprite == nullptr || sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::Begin " + hex(flags));
    sprite->inBatch = true;
    return D3D_OK;
}

HRESULT spriteSetTransform(Sprite* sprite, const Matrix& transform) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::SetTransform");
    sprite->transform = transform;
    return D3D_OK;
}

HRESULT spriteDraw(Sprite* sprite, DeviceTexture* texture, const Rect* source, const Vector3*,
                   const Vector3*, uint32_t colour) {
    if (sprite == nullptr || texture == nullptr || !sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::Draw");
    fake::Draw draw;
    draw.texture = texture;
    draw.hasSource = source != nullptr;
    if (source != nullptr) {
        draw.source = *source;
    }
    draw.colour = colour;
    draw.transform = sprite->transform;
    direct3DState().draws.push_back(draw);
    return D3D_OK;
}

HRESULT spriteEnd(Sprite* sprite) {
    if (sprite == nullptr || !sprite->inBatch) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::End");
    sprite->inBatch = false;
    return D3D_OK;
}

HRESULT spriteOnLostDevice(Sprite* sprite) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::OnLostDevice");
    return D3D_OK;
}

HRESULT spriteOnResetDevice(Sprite* sprite) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    recordCall("Sprite::OnResetDevice");
    return D3D_OK;
}

}  // namespace platform
