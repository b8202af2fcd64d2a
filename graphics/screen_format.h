// One way of running the display: size, pixel format, refresh rate, fullscreen or windowed.
#pragma once

#include <cstdint>
#include <string>

#include "../platform/constants.h"
#include "../platform/direct3d.h"

class ScreenFormat {
public:
    static constexpr int32_t FULLSCREEN = 1;
    static constexpr int32_t WINDOWED = 2;

    // 0 x 0, D3DFMT_UNKNOWN, 0 Hz, FULLSCREEN.
    ScreenFormat() = default;
    // A mode other than FULLSCREEN or WINDOWED becomes FULLSCREEN.
    ScreenFormat(int32_t width, int32_t height, platform::D3DFORMAT format, int32_t refreshRate,
                 int32_t mode);
    // Takes `mode` as given, 0 included.
    ScreenFormat(const platform::DisplayMode& displayMode, int32_t mode);

    // A search pattern for Graphics::findFormats: every field as given, 0 matching anything
    // (the five-value constructor would turn a mode of 0 into FULLSCREEN).
    static ScreenFormat pattern(int32_t width, int32_t height, platform::D3DFORMAT format,
                                int32_t refreshRate, int32_t mode);

    // 0 when equivalent, more negative the farther apart: the differences of width, height,
    // bits per pixel and refresh rate, and 10000 more when the modes differ. Symmetric.
    int32_t compare(const ScreenFormat& other) const;
    float aspectRatio() const;

    // 16, 24 or 32 for the formats it knows, 0 for any other.
    static int32_t bitsPerPixel(platform::D3DFORMAT format);
    // D3DFMT_R5G6B5, D3DFMT_R8G8B8 or D3DFMT_X8R8G8B8 for 16, 24, 32; D3DFMT_UNKNOWN otherwise.
    static platform::D3DFORMAT formatForBits(int32_t bits);
    // "32bit[X8R8G8B8]" and the like; "Unknown Format" for a format it does not know.
    static std::string formatName(platform::D3DFORMAT format);
    // "Fullscreen", "Windowed" or "Invalid mode!".
    static std::string modeName(int32_t mode);
    // "1280x1024[1.25:1]": the ratio as a stream writes a float.
    static std::string resolutionName(int32_t width, int32_t height);
    // "[800x600[1.33333:1] x 32bit[X8R8G8B8] x 100Hz x Windowed]".
    std::string describe() const;

    bool operator==(const ScreenFormat&) const = default;

    int32_t width = 0;
    int32_t height = 0;
    platform::D3DFORMAT format = platform::D3DFMT_UNKNOWN;
    int32_t refreshRate = 0;
    int32_t mode = FULLSCREEN;
};
