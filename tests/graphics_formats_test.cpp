// Which screen formats the adapter offers and which one a request gets.
#include <gmock/gmock.h>

#include "graphics_fixture.h"

using namespace platform;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr int32_t F = ScreenFormat::FULLSCREEN;
constexpr int32_t W = ScreenFormat::WINDOWED;
constexpr D3DFORMAT x = D3DFMT_X8R8G8B8;
constexpr D3DFORMAT r = D3DFMT_R5G6B5;
using Modes = std::vector<DisplayMode>;

ScreenFormat format(int32_t width, int32_t height, D3DFORMAT pixels, int32_t rate, int32_t mode) {
    return ScreenFormat(width, height, pixels, rate, mode);
}

std::vector<ScreenFormat> everyFormat() {
    return Graphics::findFormats(ScreenFormat::pattern(0, 0, 0, 0, 0));
}

using GraphicsFormatsTest = GraphicsTest;

TEST_F(GraphicsFormatsTest, ListsFullscreenThenSmallerWindowedModesAndFindsByPattern) {
    describeCommonAdapter();
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));

    EXPECT_THAT(everyFormat(), ElementsAre(format(640, 480, r, 60, F), format(800, 600, r, 60, F),
                                           format(1024, 768, r, 60, F), format(640, 480, r, 60, W),
                                           format(800, 600, r, 60, W), format(640, 480, x, 60, F),
                                           format(800, 600, x, 60, F), format(1024, 768, x, 60, F),
                                           format(640, 480, x, 60, W), format(800, 600, x, 60, W)));
    EXPECT_EQ(Graphics::getDesktopFormat(), format(1024, 768, x, 60, F));

    // A pattern matches on its non-zero fields.
    EXPECT_THAT(Graphics::findFormats(ScreenFormat::pattern(800, 600, 0, 0, 0)),
                ElementsAre(format(800, 600, r, 60, F), format(800, 600, r, 60, W),
                            format(800, 600, x, 60, F), format(800, 600, x, 60, W)));
    EXPECT_THAT(Graphics::findFormats(ScreenFormat::pattern(0, 0, x, 0, W)),
                ElementsAre(format(640, 480, x, 60, W), format(800, 600, x, 60, W)));
    EXPECT_THAT(Graphics::findFormats(ScreenFormat::pattern(0, 0, 0, 85, 0)), IsEmpty());
}

TEST_F(GraphicsFormatsTest, SkipsSmallModesAndPairsTheDeviceRejects) {
    fake::setDesktopMode({1280, 1024, 75, x});
    fake::setAdapterModes(x, Modes{{639, 480, 60, x},
                                   {640, 479, 60, x},
                                   {640, 480, 60, x},
                                   {800, 600, 75, x},
                                   {1280, 1024, 75, x}});
    // The windowed pass asks about the desktop's format; reject 800 x 600's pair only there.
    fake::setDeviceTypeAnswer([](D3DFORMAT adapter, D3DFORMAT backBuffer, bool windowed) {
        return windowed && adapter == x && backBuffer == x ? D3DERR_NOTAVAILABLE : D3D_OK;
    });
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    EXPECT_THAT(everyFormat(), ElementsAre(format(640, 480, x, 60, F), format(800, 600, x, 75, F),
                                           format(1280, 1024, x, 75, F)));
}

TEST_F(GraphicsFormatsTest, TheNearestFormatWinsAndADifferenceIsShown) {
    // Why, the desktop, the adapter's modes, the format asked for and the one chosen.
    for (auto [what, desktop, modes, request, chosen] :
         {std::tuple{"a tie goes to the first listed", DisplayMode{1280, 1024, 60, x},
                     Modes{{800, 600, 70, x}, {800, 600, 80, x}}, format(800, 600, x, 75, W),
                     format(800, 600, x, 70, W)},
          {"a desktop of the window's size offers a smaller window, not fullscreen",
           DisplayMode{800, 600, 60, x}, Modes{{640, 480, 60, x}, {800, 600, 60, x}},
           format(800, 600, x, 60, W), format(640, 480, x, 60, W)},
          {"the other mode when there is no choice", DisplayMode{640, 480, 60, x},
           Modes{{640, 480, 60, x}}, format(640, 480, x, 60, W), format(640, 480, x, 60, F)},
          // Its warning is checked below.
          {"the refresh rate closest to 100 Hz", DisplayMode{1280, 1024, 60, x},
           Modes{{800, 600, 60, x}, {800, 600, 75, x}, {800, 600, 85, x}},
           format(800, 600, x, 100, W), format(800, 600, x, 85, W)}}) {
        SCOPED_TRACE(what);
        restart();
        fake::setDesktopMode(desktop);
        fake::setAdapterModes(x, modes);
        ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
        Graphics::setScreenFormat(request);
        EXPECT_EQ(Graphics::getScreenFormat(), chosen);
        // Only a difference that scores is shown to the user.
        EXPECT_EQ(fake::shownBoxes().size(), request.compare(chosen) == 0 ? 0u : 1u);
    }

    // The last case's warning names both formats exactly, in the box and in the log.
    const std::string warning =
        "The screen format [800x600[1.33333:1] x 32bit[X8R8G8B8] x 100Hz x Windowed] is not "
        "availible.\nThe nearest format [800x600[1.33333:1] x 32bit[X8R8G8B8] x 85Hz x "
        "Windowed] will be used instead.";
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text, warning);
    EXPECT_THAT(logged(), ::testing::Contains(warning));
    // Restoring the device asks for the format in use: nothing to warn about.
    Graphics::setScreenFormat(Graphics::getScreenFormat());
    EXPECT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(Graphics::getScreenFormat(), format(800, 600, x, 85, W));
}

TEST_F(GraphicsFormatsTest, AnAdapterWithNoUsableModeIsFatalAtTheFirstRequest) {
    fake::setAdapterModes(x, {{320, 240, 60, x}, {512, 384, 60, x}});
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    EXPECT_THAT(everyFormat(), IsEmpty());

    ScreenFormat untouched = Graphics::getScreenFormat();
    EXPECT_FALSE(Graphics::findNearestFormat(format(800, 600, x, 60, W), untouched));
    EXPECT_EQ(untouched, ScreenFormat());

    EXPECT_THROW(Graphics::setScreenFormat(format(800, 600, x, 60, W)), int);
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text,
              "Your graphics hardware does not support any compatable screen formats.");
    EXPECT_TRUE(fake::createdDevices().empty());
}

}  // namespace
