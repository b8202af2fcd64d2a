#include "graphics/screen_format.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// The aspect ratio is the one these texts show.
TEST(ScreenFormatTest, TextsNameResolutionsAndWholeFormats) {
    EXPECT_EQ(ScreenFormat::resolutionName(1920, 1080), "1920x1080[1.77778:1]");
    EXPECT_EQ(ScreenFormat::resolutionName(1280, 1024), "1280x1024[1.25:1]");
    EXPECT_EQ(ScreenFormat::resolutionName(0, 0), "0x0[0:1]");
    EXPECT_EQ(ScreenFormat(1024, 768, D3DFMT_R5G6B5, 75, ScreenFormat::FULLSCREEN).describe(),
              "[1024x768[1.33333:1] x 16bit[R5G6B5] x 75Hz x Fullscreen]");
    // An unknown pixel format or mode still describes itself; a windowed one is named in the
    // nearest-format warning.
    EXPECT_EQ(ScreenFormat(DisplayMode{640, 480, 60, 27}, 3).describe(),
              "[640x480[1.33333:1] x Unknown Format x 60Hz x Invalid mode!]");
}

TEST(ScreenFormatTest, CompareSumsTheDifferencesAndPenalisesTheOtherMode) {
    const ScreenFormat request(800, 600, D3DFMT_X8R8G8B8, 100, ScreenFormat::WINDOWED);
    for (auto [other, score] :
         {std::pair{request, 0},
          {ScreenFormat(800, 600, D3DFMT_A8R8G8B8, 100, ScreenFormat::WINDOWED), 0},
          {ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 85, ScreenFormat::WINDOWED), -15},
          {ScreenFormat(640, 480, D3DFMT_R5G6B5, 60, ScreenFormat::WINDOWED), -160 - 120 - 16 - 40},
          {ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 100, ScreenFormat::FULLSCREEN), -10000},
          {ScreenFormat(800, 600, 27, 100, ScreenFormat::WINDOWED), -32},
          // Absurd sizes saturate rather than overflow.
          {ScreenFormat(INT32_MIN, INT32_MIN, 0, INT32_MIN, 1), INT32_MIN}}) {
        SCOPED_TRACE(other.describe());
        EXPECT_EQ(request.compare(other), score);
        EXPECT_EQ(other.compare(request), score);
    }
}

}  // namespace
