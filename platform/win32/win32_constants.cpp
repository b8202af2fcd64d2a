// The engine's rules are written in the numbers of platform/constants.h; on Windows they go to
// the system unchanged, so each must equal the system's own. This file only checks that, at
// compile time. The engine's values are copied out under other names first, because the system
// headers turn the same names into macros.
#include "platform/constants.h"

// Every number that has a counterpart in the system headers. (HWND_TOPMOST and HWND_NOTOPMOST
// are pointer casts there, which no constant expression can read.)
// clang-format off
#define TUMBLIX_SYSTEM_CONSTANTS(X) \
    X(WM_CLOSE) X(WM_QUIT) X(WM_KEYDOWN) X(WM_KEYUP) X(WM_SYSCOMMAND) X(SC_MINIMIZE) \
    X(SC_SCREENSAVE) X(SC_MONITORPOWER) X(VK_BACK) X(VK_TAB) X(VK_RETURN) X(VK_SHIFT) \
    X(VK_CONTROL) X(VK_MENU) X(VK_ESCAPE) X(VK_SPACE) X(VK_PRIOR) X(VK_NEXT) X(VK_END) \
    X(VK_HOME) X(VK_LEFT) X(VK_UP) X(VK_RIGHT) X(VK_DOWN) X(VK_INSERT) X(VK_DELETE) \
    X(VK_NUMPAD0) X(VK_NUMPAD1) X(VK_NUMPAD2) X(VK_NUMPAD3) X(VK_NUMPAD4) X(VK_NUMPAD5) \
    X(VK_NUMPAD6) X(VK_NUMPAD7) X(VK_NUMPAD8) X(VK_NUMPAD9) X(VK_F1) X(VK_F2) X(VK_F3) X(VK_F4) \
    X(VK_F5) X(VK_F6) X(VK_F7) X(VK_F8) X(VK_F9) X(VK_F10) X(VK_F11) X(VK_F12) \
    X(MB_OK) X(MB_YESNO) X(MB_CANCELTRYCONTINUE) X(MB_TYPEMASK) \
    X(MB_ICONHAND) X(MB_ICONQUESTION) X(MB_ICONEXCLAMATION) X(MB_ICONMASK) X(MB_SYSTEMMODAL) \
    X(IDOK) X(IDCANCEL) X(IDYES) X(IDNO) X(IDTRYAGAIN) X(IDCONTINUE) X(CS_VREDRAW) X(CS_HREDRAW) \
    X(CS_DBLCLKS) X(CS_OWNDC) X(WS_POPUP) X(WS_CLIPSIBLINGS) X(WS_CLIPCHILDREN) X(WS_CAPTION) \
    X(WS_SYSMENU) X(WS_MINIMIZEBOX) X(WS_VISIBLE) X(GWL_EXSTYLE) X(GWL_STYLE) X(CW_USEDEFAULT) \
    X(SWP_NOSIZE) X(SWP_NOMOVE) X(SW_HIDE) X(SW_SHOW) X(D3D_OK) X(E_FAIL) \
    X(D3DERR_DRIVERINTERNALERROR) X(D3DERR_DEVICELOST) X(D3DERR_DEVICENOTRESET) \
    X(D3DERR_NOTAVAILABLE) X(D3DERR_INVALIDCALL) X(D3DXERR_INVALIDDATA) X(D3DFMT_UNKNOWN) \
    X(D3DFMT_R8G8B8) X(D3DFMT_A8R8G8B8) X(D3DFMT_X8R8G8B8) X(D3DFMT_R5G6B5) X(D3DFMT_X1R5G5B5) \
    X(D3DFMT_A1R5G5B5) X(D3DFMT_A4R4G4B4) X(D3DFMT_R3G3B2) X(D3DFMT_A8) X(D3DFMT_A8R3G3B2) \
    X(D3DFMT_X4R4G4B4) X(D3DFMT_D16) X(D3D_SDK_VERSION) X(D3DADAPTER_DEFAULT) X(D3DDEVTYPE_HAL) \
    X(D3DDEVCAPS_HWTRANSFORMANDLIGHT) X(D3DCREATE_FPU_PRESERVE) \
    X(D3DCREATE_SOFTWARE_VERTEXPROCESSING) X(D3DCREATE_HARDWARE_VERTEXPROCESSING) \
    X(D3DCREATE_DISABLE_DRIVER_MANAGEMENT) X(D3DMULTISAMPLE_NONE) X(D3DSWAPEFFECT_DISCARD) \
    X(D3DPRESENT_INTERVAL_DEFAULT) X(D3DCLEAR_TARGET) X(D3DCLEAR_ZBUFFER) X(D3DRS_CULLMODE) \
    X(D3DCULL_NONE) X(D3DPOOL_MANAGED) X(D3DX_DEFAULT) X(D3DX_FILTER_NONE) \
    X(D3DXSPRITE_ALPHABLEND) X(CSIDL_COMMON_APPDATA) X(CSIDL_FLAG_CREATE) X(MAX_PATH)
// clang-format on

namespace engine {
#define TUMBLIX_COPY(name) constexpr auto name##_ = platform::name;
TUMBLIX_SYSTEM_CONSTANTS(TUMBLIX_COPY)
#undef TUMBLIX_COPY
constexpr auto HWND_TOPMOST_ = platform::HWND_TOPMOST;
constexpr auto HWND_NOTOPMOST_ = platform::HWND_NOTOPMOST;
}  // namespace engine

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>
#include <shlobj.h>

// All of them are 32-bit numbers; the system declares some signed and some unsigned.
#define TUMBLIX_CHECK(name)                                                              \
    static_assert(static_cast<uint32_t>(engine::name##_) == static_cast<uint32_t>(name), \
                  #name " differs from the system's value");
TUMBLIX_SYSTEM_CONSTANTS(TUMBLIX_CHECK)
#undef TUMBLIX_CHECK

// Letters and digits, which the system names by their capital ASCII codes alone.
static_assert(platform::VK_A == 'A' && platform::VK_Z == 'Z' && platform::VK_0 == '0' &&
              platform::VK_9 == '9');

// The z-order choices, as the driver turns them into the system's pseudo-handles.
static_assert(engine::HWND_TOPMOST_ == -1 && engine::HWND_NOTOPMOST_ == -2);
