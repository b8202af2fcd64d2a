// Graphics start-up and shut-down: the window and its procedure, the Direct3D object, the
// adapter report, and applying a validated screen format to the window and the device.
#include "graphics/graphics.h"

#include "log/log.h"
#include "platform/constants.h"
#include "platform/os.h"
#include "platform/window.h"

using namespace platform;

platform::DeviceCaps Graphics::caps;
platform::Sprite* Graphics::sprite = nullptr;
platform::PresentParameters Graphics::presentParameters;
platform::WindowHandle Graphics::window = nullptr;
platform::Direct3D* Graphics::direct3D = nullptr;
platform::Device* Graphics::device = nullptr;
Texture* Graphics::fontTexture = nullptr;
ScreenFormat Graphics::currentFormat;
ScreenFormat Graphics::desktopFormat;
std::vector<ScreenFormat> Graphics::availableFormats;

namespace {

// The window is created, and runs fullscreen, as a pop-up; a windowed game gets a caption with
// a system menu and a minimise box, but no sizing border and no maximise box.
constexpr uint32_t kPopupStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr uint32_t kWindowedStyle =
    WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr uint32_t kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;

const char* const kDirect3DFailure =
    "Failed to initialize Direct3D.\n\nPossible Solutions:\n*Install the latest version of "
    "DirectX.\n*Verify that your system has a Direct3D compatible video card or on-board video "
    "hardware and that it is properly installed.\n*Insure your video drivers are up-to-date.";

std::string versionPart(uint64_t version, int shift) {
    return std::to_string((version >> shift) & 0xFFFF);
}

}  // namespace

bool Graphics::init(const std::string& className, const std::string& title,
                    const std::string& iconPath) {
    shutdown();  // a second start-up begins afresh
    if (!createWindow(className, title, iconPath)) {
        return false;
    }
    Log::info("Initializing Graphics Sub-System...");
    Log::info("Creating Direct3D 9...");
    direct3D = direct3DCreate9(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        Log::error(kDirect3DFailure);
    }
    Log::info("Success!");

    Log::info("Requesting device capabilities for default graphics adapter...");
    caps = DeviceCaps{};
    getDeviceCaps(direct3D, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, caps);
    Log::info("Success!");

    Log::info("Collecting primary graphics adapter information...");
    reportAdapter();
    enumerateFormats();
    return true;
}

void Graphics::reportAdapter() {
    AdapterIdentifier identifier;
    if (getAdapterIdentifier(direct3D, D3DADAPTER_DEFAULT, 0, identifier) < 0) {
        Log::warning("Failed to collect primary graphics adapter information.");
        return;
    }
    Log::info(Log::Text{"Device: " + identifier.deviceName});
    Log::info(Log::Text{"Description: " + identifier.description});
    Log::info(Log::Text{"Driver: " + identifier.driver});
    Log::info("Product: " + versionPart(identifier.driverVersion, 48));
    Log::info("Version: " + versionPart(identifier.driverVersion, 32));
    Log::info("SubVersion: " + versionPart(identifier.driverVersion, 16));
    Log::info("Build: " + versionPart(identifier.driverVersion, 0));
    Log::info("Success!");
}

bool Graphics::createWindow(const std::string& className, const std::string& title,
                            const std::string& iconPath) {
    Log::info("Initializing window...");
    registerClass(WindowClass{className, kClassStyle, &Graphics::windowProc, iconPath});
    window = platform::createWindow(className, title, kPopupStyle, CW_USEDEFAULT, 0, 320, 240);
    updateWindow(window);
    Log::info("Success!");
    return true;
}

intptr_t Graphics::windowProc(WindowHandle target, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
    if (message == WM_CLOSE) {
        postQuitMessage(0);  // the window itself stays until the process ends
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)) {
        return 0;  // no screen saver or monitor power-down while the game has the foreground
    }
    return defWindowProc(target, message, wParam, lParam);
}

WindowHandle Graphics::getWindow() {
    return window;
}

void Graphics::applyScreenFormat() {
    presentParameters = PresentParameters{};
    presentParameters.backBufferWidth = static_cast<uint32_t>(currentFormat.width);
    presentParameters.backBufferHeight = static_cast<uint32_t>(currentFormat.height);
    presentParameters.backBufferFormat = currentFormat.format;
    presentParameters.backBufferCount = 1;
    presentParameters.multiSampleType = D3DMULTISAMPLE_NONE;
    presentParameters.multiSampleQuality = 0;
    presentParameters.swapEffect = D3DSWAPEFFECT_DISCARD;
    presentParameters.deviceWindow = window;
    presentParameters.windowed = currentFormat.mode == ScreenFormat::WINDOWED;
    presentParameters.enableAutoDepthStencil = true;
    presentParameters.autoDepthStencilFormat = D3DFMT_D16;
    presentParameters.flags = 0;
    presentParameters.fullScreenRefreshRateInHz =
        presentParameters.windowed ? 0 : static_cast<uint32_t>(currentFormat.refreshRate);
    presentParameters.presentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    if (presentParameters.windowed) {
        // Centre the client area on the desktop as it is now; should the mode be unreadable,
        // the desktop of start-up is the best guess.
        DisplayMode desktop{static_cast<uint32_t>(desktopFormat.width),
                            static_cast<uint32_t>(desktopFormat.height),
                            static_cast<uint32_t>(desktopFormat.refreshRate), desktopFormat.format};
        getAdapterDisplayMode(direct3D, D3DADAPTER_DEFAULT, desktop);
        Rect rect;
        rect.left = (static_cast<int32_t>(desktop.width) - currentFormat.width) / 2;
        rect.top = (static_cast<int32_t>(desktop.height) - currentFormat.height) / 2;
        rect.right = rect.left + currentFormat.width;
        rect.bottom = rect.top + currentFormat.height;
        setWindowLong(window, GWL_STYLE, static_cast<int32_t>(kWindowedStyle));
        adjustWindowRectEx(rect, static_cast<uint32_t>(getWindowLong(window, GWL_STYLE)), false,
                           static_cast<uint32_t>(getWindowLong(window, GWL_EXSTYLE)));
        setWindowPos(window, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, 0);
    } else {
        setWindowLong(window, GWL_STYLE, static_cast<int32_t>(kPopupStyle));
        setWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    if (device != nullptr) {
        spriteOnLostDevice(sprite);
        resetDevice(device, presentParameters);
        spriteOnResetDevice(sprite);
    } else {
        createDevice();
    }
    updateWindow(window);
    showWindow(window, SW_SHOW);
    setFocus(window);
    setRenderState(device, D3DRS_CULLMODE, D3DCULL_NONE);
}

void Graphics::createDevice() {
    Log::info("Choosing vertex processing mode...");
    uint32_t flags = D3DCREATE_DISABLE_DRIVER_MANAGEMENT | D3DCREATE_FPU_PRESERVE;
    if ((caps.devCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0) {
        Log::info("Using hardware vertex processing.");
        flags |= D3DCREATE_HARDWARE_VERTEXPROCESSING;
    } else {
        Log::info("Using software vertex processing.");
        flags |= D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    }
    Log::info("Success!");

    Log::info("Creating Direct3DDevice9...");
    if (platform::createDevice(direct3D, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, flags,
                               presentParameters, device) != D3D_OK) {
        Log::error("Failed to create Direct3DDevice9.");
    }
    Log::info("Success!");
    d3dxCreateSprite(device, sprite);
}

void Graphics::shutdown() {
    delete fontTexture;
    fontTexture = nullptr;
    releaseSprite(sprite);
    releaseDevice(device);
    releaseDirect3D(direct3D);
    destroyWindow(window);
    sprite = nullptr;
    device = nullptr;
    direct3D = nullptr;
    window = nullptr;
    caps = DeviceCaps{};
    presentParameters = PresentParameters{};
    currentFormat = ScreenFormat{};
    desktopFormat = ScreenFormat{};
    availableFormats.clear();
}
