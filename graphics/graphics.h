// The process-wide graphics layer: one window, one device with one sprite, the screen formats
// the adapter offers, the frame bracket with recovery from a lost device, textures and sprites.
// Every step is reported through Log; a failure the program cannot live with goes through
// Log::error and does not return. Single-threaded: call everything from the frame loop's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../platform/direct3d.h"
#include "../platform/types.h"
#include "screen_format.h"
#include "texture.h"

class Graphics {
public:
    // Creates the hidden window and the Direct3D object, reports the adapter and lists the
    // screen formats. An empty `iconPath` gives the system's application icon. Failing to
    // create the Direct3D object is fatal.
    static bool init(const std::string& className, const std::string& title,
                     const std::string& iconPath);
    // Registers the window class and creates the hidden 320 x 240 pop-up; always true.
    static bool createWindow(const std::string& className, const std::string& title,
                             const std::string& iconPath);
    // The window class's procedure: a close request posts the quit message (exit code 0); the
    // screen saver and monitor power-saving commands are swallowed.
    static intptr_t windowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);

    // Fills the desktop format and the list of available formats; part of init.
    static void enumerateFormats();
    // The available format nearest to `requested` (ties to the first listed); false, `out`
    // untouched, when none is available.
    static bool findNearestFormat(const ScreenFormat& requested, ScreenFormat& out);
    // Every available format whose fields equal the non-zero fields of `pattern`, in list
    // order (see ScreenFormat::pattern).
    static std::vector<ScreenFormat> findFormats(const ScreenFormat& pattern);
    static ScreenFormat getDesktopFormat();
    static ScreenFormat getScreenFormat();
    // Switches to the available format nearest to `requested` (a warning box when it differs),
    // styles, places and shows the window, and creates the device and sprite on the first
    // call or resets them on later ones. No available format at all is fatal.
    static void setScreenFormat(ScreenFormat requested);
    static platform::WindowHandle getWindow();

    // Starts a frame: true when the scene and sprite batch are open and drawing may follow;
    // false while the device is lost (it is reset here as soon as it can be).
    static bool beginFrame();
    // Closes the batch and the scene and presents; the result of the present.
    static platform::HRESULT endFrame();
    // Fills the back buffer with the ARGB `colour`.
    static void clear(uint32_t colour);

    // Loads an image into a texture the caller owns. A missing or unreadable file is fatal, and
    // so is an image larger than the device's textures, found from its header before decoding.
    static Texture* loadTexture(const std::string& path);
    // Draws the source rectangle of `texture` between beginFrame and endFrame: scaled so that
    // the whole image would measure width x height, turned `rotation` degrees clockwise about
    // (centreX, centreY) of the drawn rectangle, whose unturned top-left is at (x, y);
    // modulated by the ARGB `colour`.
    static platform::HRESULT drawSprite(Texture* texture, int x, int y, int width, int height,
                                        int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                                        uint32_t colour, int centreX, int centreY, int rotation);
    // Draws the whole image of `texture` with its top-left at (x, y), at the image's size,
    // untinted and unturned.
    static platform::HRESULT drawSprite(Texture* texture, int x, int y);

    // Draws `text` between beginFrame and endFrame in the built-in pixel font (pixel_font.h):
    // the top-left of its first line at (x, y), each font pixel `scale` x `scale` screen pixels
    // (1 to kMaxTextScale), in the ARGB `colour`, one sprite per character as drawSprite draws
    // them. '\n' starts a new line; a character outside printable ASCII shows as '?'. D3D_OK,
    // or the first failure: D3DERR_INVALIDCALL outside a frame or for a scale out of range.
    // The font's texture is made by the first call; failing to make it is fatal.
    static platform::HRESULT drawText(int x, int y, const std::string& text, uint32_t colour,
                                      int scale = 1);
    static constexpr int kMaxTextScale = 1024;

    // Releases the sprite, the device, the Direct3D object and the window and returns to the
    // state before init. Loaded textures may still be destroyed, but not drawn.
    static void shutdown();

private:
    static void applyScreenFormat();
    static void createDevice();
    static void reportAdapter();
    static bool fitsInTexture(const platform::ImageInfo& image);
    static Texture* font();

    static platform::DeviceCaps caps;
    static platform::Sprite* sprite;
    static platform::PresentParameters presentParameters;
    static platform::WindowHandle window;
    static platform::Direct3D* direct3D;
    static platform::Device* device;
    static Texture* fontTexture;  // made by the first drawText
    static ScreenFormat currentFormat;
    static ScreenFormat desktopFormat;
    static std::vector<ScreenFormat> availableFormats;
};
