// The fixed numbers that the engine's rules are written in, with their published Win32,
// Direct3D 9 and D3DX 9 values, so the logic reads the same whichever driver is linked.
// A driver that includes the OS headers must include this file first: the OS headers define
// these names as macros.
#pragma once

#include <cstdint>

namespace platform {

// Window messages and system commands.
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uintptr_t SC_MINIMIZE = 0xF020;
constexpr uintptr_t SC_SCREENSAVE = 0xF140;
constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// Virtual keys: every key the drivers report. Shift, Control and Alt (VK_MENU) are either of
// the two keys of the name. Letters and digits are numbered by their capital ASCII codes; the
// system headers name no constant for them, so VK_A to VK_Z and VK_0 to VK_9 are the engine's
// own names. The keypad's Enter reads as VK_RETURN.
constexpr int VK_BACK = 0x08;  // Backspace
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;  // Alt
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;  // Page Up
constexpr int VK_NEXT = 0x22;   // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_0 = 0x30;
constexpr int VK_1 = 0x31;
constexpr int VK_2 = 0x32;
constexpr int VK_3 = 0x33;
constexpr int VK_4 = 0x34;
constexpr int VK_5 = 0x35;
constexpr int VK_6 = 0x36;
constexpr int VK_7 = 0x37;
constexpr int VK_8 = 0x38;
constexpr int VK_9 = 0x39;
constexpr int VK_A = 0x41;
constexpr int VK_B = 0x42;
constexpr int VK_C = 0x43;
constexpr int VK_D = 0x44;
constexpr int VK_E = 0x45;
constexpr int VK_F = 0x46;
constexpr int VK_G = 0x47;
constexpr int VK_H = 0x48;
constexpr int VK_I = 0x49;
constexpr int VK_J = 0x4A;
constexpr int VK_K = 0x4B;
constexpr int VK_L = 0x4C;
constexpr int VK_M = 0x4D;
constexpr int VK_N = 0x4E;
constexpr int VK_O = 0x4F;
constexpr int VK_P = 0x50;
constexpr int VK_Q = 0x51;
constexpr int VK_R = 0x52;
constexpr int VK_S = 0x53;
constexpr int VK_T = 0x54;
constexpr int VK_U = 0x55;
constexpr int VK_V = 0x56;
constexpr int VK_W = 0x57;
constexpr int VK_X = 0x58;
constexpr int VK_Y = 0x59;
constexpr int VK_Z = 0x5A;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_NUMPAD1 = 0x61;
constexpr int VK_NUMPAD2 = 0x62;
constexpr int VK_NUMPAD3 = 0x63;
constexpr int VK_NUMPAD4 = 0x64;
constexpr int VK_NUMPAD5 = 0x65;
constexpr int VK_NUMPAD6 = 0x66;
constexpr int VK_NUMPAD7 = 0x67;
constexpr int VK_NUMPAD8 = 0x68;
constexpr int VK_NUMPAD9 = 0x69;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;

// Message box styles and answers.
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_CANCELTRYCONTINUE = 0x6;
constexpr uint32_t MB_TYPEMASK = 0xF;
constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONMASK = 0xF0;
constexpr uint32_t MB_SYSTEMMODAL = 0x1000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// Window class and window styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int HWND_TOPMOST = -1;  // z-order choices of setWindowPos
constexpr int HWND_NOTOPMOST = -2;
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Direct3D 9 results. HRESULT-style: negative means failure.
using HRESULT = int32_t;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = static_cast<HRESULT>(0x88760827u);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

// Direct3D 9 pixel formats.
using D3DFORMAT = uint32_t;
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_R8G8B8 = 20;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_X1R5G5B5 = 24;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_A4R4G4B4 = 26;
constexpr D3DFORMAT D3DFMT_R3G3B2 = 27;
constexpr D3DFORMAT D3DFMT_A8 = 28;
constexpr D3DFORMAT D3DFMT_A8R3G3B2 = 29;
constexpr D3DFORMAT D3DFMT_X4R4G4B4 = 30;
constexpr D3DFORMAT D3DFMT_D16 = 80;

// Direct3D 9 adapter, device and presentation values.
constexpr uint32_t D3D_SDK_VERSION = 32;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;
constexpr uint32_t D3DDEVTYPE_HAL = 1;
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr uint32_t D3DCREATE_FPU_PRESERVE = 0x00000002;
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
constexpr uint32_t D3DCREATE_DISABLE_DRIVER_MANAGEMENT = 0x00000100;
constexpr uint32_t D3DMULTISAMPLE_NONE = 0;
constexpr uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DRS_CULLMODE = 22;
constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DPOOL_MANAGED = 1;

// D3DX 9 values.
constexpr uint32_t D3DX_DEFAULT = 0xFFFFFFFF;
constexpr uint32_t D3DX_FILTER_NONE = 1;
constexpr uint32_t D3DXSPRITE_ALPHABLEND = 0x10;

// Common application data folder lookup.
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr int MAX_PATH = 260;

}  // namespace platform
