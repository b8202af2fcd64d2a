// The Win32 driver's textures and sprite: D3DX 9 (d3dx9_32) loads the image files and draws
// the sprites. A null handle answers D3DERR_INVALIDCALL instead of reaching the interface.
#include <type_traits>

#include "platform/direct3d.h"
#include "platform/transform2d.h"
#include "platform/win32/win32_direct3d.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

// The engine's matrix goes to the sprite as it is: the same sixteen floats, row by row.
static_assert(sizeof(platform::Matrix) == sizeof(D3DXMATRIX));
static_assert(std::is_trivially_copyable_v<platform::Matrix>);

namespace {

const D3DXVECTOR3* nativeVector(const platform::Vector3* vector, D3DXVECTOR3& storage) {
    if (vector == nullptr) {
        return nullptr;
    }
    storage = D3DXVECTOR3(vector->x, vector->y, vector->z);
    return &storage;
}

}  // namespace

namespace platform {

HRESULT d3dxGetImageInfoFromFile(const std::string& path, ImageInfo& info) {
    D3DXIMAGE_INFO nativeInfo{};
    HRESULT result = D3DXGetImageInfoFromFileA(path.c_str(), &nativeInfo);
    if (SUCCEEDED(result)) {
        info = ImageInfo{nativeInfo.Width, nativeInfo.Height};
    }
    return result;
}

HRESULT d3dxCreateTextureFromFileEx(Device* device, const std::string& path, uint32_t width,
                                    uint32_t height, uint32_t mipLevels, uint32_t usage,
                                    D3DFORMAT format, uint32_t pool, uint32_t filter,
                                    uint32_t mipFilter, uint32_t colourKey, ImageInfo* info,
                                    DeviceTexture*& texture) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DXIMAGE_INFO nativeInfo{};
    IDirect3DTexture9* created = nullptr;
    HRESULT result = D3DXCreateTextureFromFileExA(
        win32::native(device), path.c_str(), width, height, mipLevels, usage,
        static_cast<::D3DFORMAT>(format), static_cast<D3DPOOL>(pool), filter, mipFilter, colourKey,
        &nativeInfo, nullptr, &created);
    if (FAILED(result)) {
        return result;
    }
    if (info != nullptr) {
        *info = ImageInfo{nativeInfo.Width, nativeInfo.Height};
    }
    texture = win32::handle(created);
    return result;
}

HRESULT createTexture(Device* device, uint32_t width, uint32_t height, uint32_t levels,
                      uint32_t usage, D3DFORMAT format, uint32_t pool, DeviceTexture*& texture) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    IDirect3DTexture9* created = nullptr;
    HRESULT result = win32::native(device)->CreateTexture(
        width, height, levels, usage, static_cast<::D3DFORMAT>(format),
        static_cast<D3DPOOL>(pool), &created, nullptr);
    if (SUCCEEDED(result)) {
        texture = win32::handle(created);
    }
    return result;
}

HRESULT lockRect(DeviceTexture* texture, uint32_t level, LockedRect& locked, const Rect* rect,
                 uint32_t flags) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    RECT area{};
    if (rect != nullptr) {
        area = RECT{rect->left, rect->top, rect->right, rect->bottom};
    }
    D3DLOCKED_RECT native{};
    HRESULT result = win32::native(texture)->LockRect(level, &native,
                                                      rect != nullptr ? &area : nullptr, flags);
    if (SUCCEEDED(result)) {
        locked = LockedRect{native.Pitch, native.pBits};
    }
    return result;
}

HRESULT unlockRect(DeviceTexture* texture, uint32_t level) {
    return texture != nullptr ? win32::native(texture)->UnlockRect(level) : D3DERR_INVALIDCALL;
}

HRESULT getLevelDesc(DeviceTexture* texture, uint32_t level, SurfaceDesc& desc) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC native{};
    HRESULT result = win32::native(texture)->GetLevelDesc(level, &native);
    if (SUCCEEDED(result)) {
        desc = SurfaceDesc{static_cast<D3DFORMAT>(native.Format), native.Width, native.Height};
    }
    return result;
}

void releaseTexture(DeviceTexture* texture) {
    if (texture != nullptr) {
        win32::native(texture)->Release();
    }
}

HRESULT d3dxCreateSprite(Device* device, Sprite*& sprite) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    ID3DXSprite* created = nullptr;
    HRESULT result = D3DXCreateSprite(win32::native(device), &created);
    if (SUCCEEDED(result)) {
        sprite = win32::handle(created);
    }
    return result;
}

void releaseSprite(Sprite* sprite) {
    if (sprite != nullptr) {
        win32::native(sprite)->Release();
    }
}

HRESULT spriteBegin(Sprite* sprite, uint32_t flags) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = win32::native(sprite)->Begin(flags);
    // The batch filters textures linearly, which smears pixel art across its neighbouring
    // texels; each pixel takes its nearest texel instead, as on every other driver. States set
    // after Begin hold until End.
    IDirect3DDevice9* device = nullptr;
    if (SUCCEEDED(result) && SUCCEEDED(win32::native(sprite)->GetDevice(&device))) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->Release();
    }
    return result;
}

HRESULT spriteSetTransform(Sprite* sprite, const Matrix& transform) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DXMATRIX native(&transform.m[0][0]);
    return win32::native(sprite)->SetTransform(&native);
}

HRESULT spriteDraw(Sprite* sprite, DeviceTexture* texture, const Rect* source,
                   const Vector3* centre, const Vector3* position, uint32_t colour) {
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    RECT nativeSource;
    if (source != nullptr) {
        nativeSource = RECT{source->left, source->top, source->right, source->bottom};
    }
    D3DXVECTOR3 nativeCentre, nativePosition;
    return win32::native(sprite)->Draw(
        win32::native(texture), source != nullptr ? &nativeSource : nullptr,
        nativeVector(centre, nativeCentre), nativeVector(position, nativePosition), colour);
}

HRESULT spriteEnd(Sprite* sprite) {
    return sprite != nullptr ? win32::native(sprite)->End() : D3DERR_INVALIDCALL;
}

HRESULT spriteOnLostDevice(Sprite* sprite) {
    return sprite != nullptr ? win32::native(sprite)->OnLostDevice() : D3DERR_INVALIDCALL;
}

HRESULT spriteOnResetDevice(Sprite* sprite) {
    return sprite != nullptr ? win32::native(sprite)->OnResetDevice() : D3DERR_INVALIDCALL;
}

}  // namespace platform
