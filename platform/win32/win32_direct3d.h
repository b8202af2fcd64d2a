// The Win32 driver's graphics handles are the Direct3D 9 and D3DX 9 interface pointers
// themselves: the engine's opaque types are never defined here, only converted, so each call
// reaches the real interface with nothing in between. Include after platform/direct3d.h.
#pragma once

#include "platform/direct3d.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

namespace win32 {

inline IDirect3D9* native(platform::Direct3D* direct3D) {
    return reinterpret_cast<IDirect3D9*>(direct3D);
}
inline IDirect3DDevice9* native(platform::Device* device) {
    return reinterpret_cast<IDirect3DDevice9*>(device);
}
inline IDirect3DTexture9* native(platform::DeviceTexture* texture) {
    return reinterpret_cast<IDirect3DTexture9*>(texture);
}
inline ID3DXSprite* native(platform::Sprite* sprite) {
    return reinterpret_cast<ID3DXSprite*>(sprite);
}

inline platform::Direct3D* handle(IDirect3D9* direct3D) {
    return reinterpret_cast<platform::Direct3D*>(direct3D);
}
inline platform::Device* handle(IDirect3DDevice9* device) {
    return reinterpret_cast<platform::Device*>(device);
}
inline platform::DeviceTexture* handle(IDirect3DTexture9* texture) {
    return reinterpret_cast<platform::DeviceTexture*>(texture);
}
inline platform::Sprite* handle(ID3DXSprite* sprite) {
    return reinterpret_cast<platform::Sprite*>(sprite);
}

}  // namespace win32
