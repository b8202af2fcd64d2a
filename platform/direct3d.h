// The graphics API the engine draws with: the Direct3D 9 object, device and textures and the
// D3DX 9 sprite and texture loader, one function per call the engine makes. Each driver
// implements all of them (platform/win32 maps them one-to-one onto the real interfaces).
// Results are HRESULT-style: D3D_OK (0) on success, a negative code on failure. Objects are
// opaque handles; each create call hands its caller one reference, given back with the
// matching release call. Adapter 0 and the HAL device type are the only ones drivers must offer.
#pragma once

#include <cstdint>
#include <string>

#include "constants.h"
#include "transform2d.h"
#include "types.h"

namespace platform {

struct Direct3D;       // IDirect3D9
struct Device;         // IDirect3DDevice9
struct DeviceTexture;  // IDirect3DTexture9
struct Sprite;         // ID3DXSprite

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;  // Hz; 0 when the adapter does not say
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

struct DeviceCaps {
    uint32_t devCaps = 0;  // D3DDEVCAPS_* bits
    // The largest texture the device holds, in texels; 0 when the adapter does not say.
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
};

struct AdapterIdentifier {
    std::string driver;
    std::string description;
    std::string deviceName;
    // Four 16-bit parts, most significant first: product, version, sub-version, build.
    uint64_t driverVersion = 0;
};

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    uint32_t backBufferCount = 0;
    uint32_t multiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t multiSampleQuality = 0;
    uint32_t swapEffect = 0;
    WindowHandle deviceWindow = nullptr;
    bool windowed = false;
    bool enableAutoDepthStencil = false;
    D3DFORMAT autoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRateInHz = 0;
    uint32_t presentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

// What a texture loader read from the image file.
struct ImageInfo {
    uint32_t width = 0;
    uint32_t height = 0;
};

// One level of a texture.
struct SurfaceDesc {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t width = 0;
    uint32_t height = 0;
};

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// --- The Direct3D object ---

// The Direct3D object; null when `sdkVersion` is not D3D_SDK_VERSION or no adapter is usable.
Direct3D* direct3DCreate9(uint32_t sdkVersion);

// Gives back the caller's reference. Null is ignored.
void releaseDirect3D(Direct3D* direct3D);

// Fills `caps` for the adapter and device type; D3DERR_INVALIDCALL for any other adapter.
HRESULT getDeviceCaps(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType, DeviceCaps& caps);

// Names the adapter and its driver; a failure code when the adapter cannot be described.
HRESULT getAdapterIdentifier(Direct3D* direct3D, uint32_t adapter, uint32_t flags,
                             AdapterIdentifier& identifier);

// The adapter's display mode now; a failure code (and `mode` untouched) when it cannot be read.
HRESULT getAdapterDisplayMode(Direct3D* direct3D, uint32_t adapter, DisplayMode& mode);

// How many display modes of pixel format `format` the adapter offers; 0 for none.
uint32_t getAdapterModeCount(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format);

// The `index`th of those modes, in the adapter's own order; D3DERR_INVALIDCALL past the end.
HRESULT enumAdapterModes(Direct3D* direct3D, uint32_t adapter, D3DFORMAT format, uint32_t index,
                         DisplayMode& mode);

// D3D_OK when a device can show `backBufferFormat` on a display of `adapterFormat`, windowed
// or fullscreen; D3DERR_NOTAVAILABLE otherwise.
HRESULT checkDeviceType(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                        D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, bool windowed);

// Creates the device that presents into `parameters.deviceWindow` with the D3DCREATE_*
// `behaviorFlags`; D3D_OK and `device` set, or a failure code and `device` untouched.
HRESULT createDevice(Direct3D* direct3D, uint32_t adapter, uint32_t deviceType,
                     WindowHandle focusWindow, uint32_t behaviorFlags,
                     PresentParameters& parameters, Device*& device);

// --- The device ---

// Gives back the caller's reference; textures made on it stay valid handles that can only be
// described and released. Null is ignored.
void releaseDevice(Device* device);

// Applies new presentation parameters; managed textures and their contents survive. A failure
// leaves the device lost (testCooperativeLevel then reports D3DERR_DEVICENOTRESET).
HRESULT resetDevice(Device* device, PresentParameters& parameters);

// Sets one D3DRS_* render state.
HRESULT setRenderState(Device* device, uint32_t state, uint32_t value);

// D3D_OK while the device can draw; D3DERR_DEVICELOST while it cannot and cannot be reset yet;
// D3DERR_DEVICENOTRESET when resetDevice would bring it back; D3DERR_DRIVERINTERNALERROR.
HRESULT testCooperativeLevel(Device* device);

// Fills the back buffer (D3DCLEAR_TARGET) with the ARGB `colour`, and the depth buffer
// (D3DCLEAR_ZBUFFER) with `z`, over the whole target (rectCount 0, rects null).
HRESULT clear(Device* device, uint32_t rectCount, const Rect* rects, uint32_t flags,
              uint32_t colour, float z, uint32_t stencil);

// Bracket the drawing of one frame; D3DERR_INVALIDCALL when not paired.
HRESULT beginScene(Device* device);
HRESULT endScene(Device* device);

// Shows the whole back buffer in the device window; D3DERR_DEVICELOST when it could not.
HRESULT present(Device* device);

// --- Textures ---

// Reads the size of the image in the file at `path` from its header, decoding no pixel; a
// failure code, and `info` untouched, when the file is missing or is no image that
// d3dxCreateTextureFromFileEx reads.
HRESULT d3dxGetImageInfoFromFile(const std::string& path, ImageInfo& info);

// Loads an image file into a managed texture (kept in memory, restored after a reset) of
// `width` x `height` texels (D3DX_DEFAULT: the image's size rounded up to powers of two), the
// image unscaled in its top-left corner and transparent black beyond it; texels equal to the
// ARGB `colourKey` become transparent black (0: none). `info` (may be null) gets the image's
// size. A failure code, and `texture` untouched, when the file is missing or unreadable.
HRESULT d3dxCreateTextureFromFileEx(Device* device, const std::string& path, uint32_t width,
                                    uint32_t height, uint32_t mipLevels, uint32_t usage,
                                    D3DFORMAT format, uint32_t pool, uint32_t filter,
                                    uint32_t mipFilter, uint32_t colourKey, ImageInfo* info,
                                    DeviceTexture*& texture);

// Creates a texture of `width` x `height` texels and `levels` levels in `format` and `pool`
// (D3DPOOL_MANAGED: kept in memory and restored after a reset), its texels to be written
// through lockRect. A failure code, and `texture` untouched, when the device cannot make it.
// The SDL driver makes one level of D3DFMT_A8R8G8B8 in the managed pool, transparent black.
HRESULT createTexture(Device* device, uint32_t width, uint32_t height, uint32_t levels,
                      uint32_t usage, D3DFORMAT format, uint32_t pool, DeviceTexture*& texture);

// A locked rectangle of a texture level: its top-left texel, the rows `pitch` bytes apart.
struct LockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

// Opens `rect` of a level (null: the whole level) for writing, with the D3DLOCK_* `flags`,
// until unlockRect; D3DERR_INVALIDCALL for a level the texture does not have, a rectangle
// outside it or a level that is locked already.
HRESULT lockRect(DeviceTexture* texture, uint32_t level, LockedRect& locked, const Rect* rect,
                 uint32_t flags);

// Closes the lock of a level: the texels written are the texture's from the next draw on.
// D3DERR_INVALIDCALL when the level is not locked.
HRESULT unlockRect(DeviceTexture* texture, uint32_t level);

// Describes a level of the texture; D3DERR_INVALIDCALL for a level it does not have.
HRESULT getLevelDesc(DeviceTexture* texture, uint32_t level, SurfaceDesc& desc);

// Gives back the caller's reference; valid after the device's release too. Null is ignored.
void releaseTexture(DeviceTexture* texture);

// --- The sprite ---

// Creates the sprite that draws textured rectangles on `device`.
HRESULT d3dxCreateSprite(Device* device, Sprite*& sprite);

// Gives back the caller's reference. Null is ignored.
void releaseSprite(Sprite* sprite);

// Opens a batch (D3DXSPRITE_ALPHABLEND: blend by the texel's alpha times the colour's);
// D3DERR_INVALIDCALL when one is open already.
HRESULT spriteBegin(Sprite* sprite, uint32_t flags);

// Sets the transform that places the following draws; a sprite starts with the identity.
HRESULT spriteSetTransform(Sprite* sprite, const Matrix& transform);

// Queues `source` of `texture` (null: the whole texture), modulated by the ARGB `colour`: its
// texel at offset p from the source's top-left goes to (p - centre + position) * transform,
// nearest texel, in call order. Null centre or position count as 0. Needs an open batch; the
// SDL driver refuses (D3DERR_INVALIDCALL) a transform that shears.
HRESULT spriteDraw(Sprite* sprite, DeviceTexture* texture, const Rect* source,
                   const Vector3* centre, const Vector3* position, uint32_t colour);

// Draws what is queued and closes the batch; D3DERR_INVALIDCALL when none is open.
HRESULT spriteEnd(Sprite* sprite);

// Around a device reset: the sprite lets go of device resources, then takes them again.
HRESULT spriteOnLostDevice(Sprite* sprite);
HRESULT spriteOnResetDevice(Sprite* sprite);

}  // namespace platform
