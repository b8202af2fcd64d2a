// Graphics start-up: the log it writes, the adapter report, the window, the device and its
// presentation parameters, and shutting down again.
#include <gmock/gmock.h>

#include <tuple>

#include "graphics_fixture.h"
#include "platform/constants.h"

using namespace platform;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

using GraphicsStartTest = GraphicsTest;

// The log of a start-up, one step a line, with the adapter described and software vertex
// processing.
// clang-format off
const std::vector<std::string> kStartLog = {
    "Initializing window...", "Success!",
    "Initializing Graphics Sub-System...",
    "Creating Direct3D 9...", "Success!",
    "Requesting device capabilities for default graphics adapter...", "Success!",
    "Collecting primary graphics adapter information...",
    "Device: \\\\.\\DISPLAY1", "Description: Fast Card 9000", "Driver: nv4_disp.dll",
    "Product: 6", "Version: 14", "SubVersion: 10", "Build: 607", "Success!",
    "Enumerating potential screen formats...", "Success!",
    "Validating requested screen format...", "Success!",
    "Choosing vertex processing mode...", "Using software vertex processing.", "Success!",
    "Creating Direct3DDevice9...", "Success!"};
// clang-format on

TEST_F(GraphicsStartTest, AStartLogsEveryStepPlacesTheWindowAndCreatesTheDevice) {
    const D3DFORMAT x = D3DFMT_X8R8G8B8;
    struct Case {
        ScreenFormat request;
        bool describable;  // else the adapter's identifier cannot be read: a warning, no more
        uint32_t devCaps, behaviorFlags;
        const char* vertexProcessing;
        uint32_t style;
        int x, y, width, height;  // the window's outer placement
        bool topMost;
    } cases[] = {
        // The client area centred on the 1280 x 1024 desktop at (240, 212); the frame adds a
        // border and the caption.
        {ScreenFormat(800, 600, x, 60, ScreenFormat::WINDOWED), true,
         ~D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x122, "Using software vertex processing.", 0x06CA0000u,
         240 - fake::kBorder, 212 - fake::kBorder - fake::kCaption, 800 + 2 * fake::kBorder,
         600 + 2 * fake::kBorder + fake::kCaption, false},
        // A top-most pop-up that the fullscreen device sizes itself.
        {ScreenFormat(1280, 1024, x, 75, ScreenFormat::FULLSCREEN), false,
         D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x142, "Using hardware vertex processing.", 0x86000000u, 0,
         0, 320, 240, true},
    };
    const std::string undescribed = "Failed to collect primary graphics adapter information.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.describe());
        restart();
        fake::setDesktopMode({1280, 1024, 60, x});
        fake::setAdapterModes(x, {{800, 600, 60, x}, {1280, 1024, 75, x}});
        fake::setDeviceCaps(c.devCaps);
        if (c.describable) {
            fake::setAdapterIdentifier({"nv4_disp.dll", "Fast Card 9000", "\\\\.\\DISPLAY1",
                                        (6ull << 48) | (14ull << 32) | (10ull << 16) | 607ull});
        } else {
            fake::failAdapterIdentifier(E_FAIL);
        }
        ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
        EXPECT_EQ(fake::windowState(Graphics::getWindow()).title, "Puzzle Tumblix");
        Graphics::setScreenFormat(c.request);

        std::vector<std::string> log = kStartLog;
        log[21] = c.vertexProcessing;
        if (!c.describable) {
            log.erase(log.begin() + 8, log.begin() + 16);
            log.insert(log.begin() + 8, undescribed);
        }
        EXPECT_THAT(logged(), ElementsAreArray(log));
        EXPECT_EQ(fake::shownBoxes().size(), c.describable ? 0u : 1u);

        const fake::WindowState& shown = fake::windowState(Graphics::getWindow());
        EXPECT_EQ(std::tie(shown.style, shown.x, shown.y, shown.width, shown.height, shown.topMost,
                           shown.visible, shown.focused),
                  std::make_tuple(c.style, c.x, c.y, c.width, c.height, c.topMost, true, true));
        ASSERT_EQ(fake::createdDevices().size(), 1u);
        const fake::CreatedDevice& device = fake::createdDevices()[0];
        EXPECT_EQ(std::tie(device.deviceType, device.focusWindow, device.behaviorFlags),
                  std::make_tuple(D3DDEVTYPE_HAL, Graphics::getWindow(), c.behaviorFlags));
        const PresentParameters& p = device.parameters;
        bool windowed = c.request.mode == ScreenFormat::WINDOWED;
        EXPECT_EQ(std::tie(p.backBufferWidth, p.backBufferHeight, p.backBufferFormat, p.windowed,
                           p.fullScreenRefreshRateInHz, p.presentationInterval),
                  std::make_tuple(static_cast<uint32_t>(c.request.width),
                                  static_cast<uint32_t>(c.request.height), x, windowed,
                                  windowed ? 0u : 75u, D3DPRESENT_INTERVAL_DEFAULT));
        EXPECT_THAT(fake::calls(), ElementsAre("SetRenderState 22 1"));
    }
    // The warning box of the adapter that could not be described.
    EXPECT_EQ(fake::shownBoxes().at(0).text, undescribed);
}

TEST_F(GraphicsStartTest, FailuresToCreateDirect3DOrTheDeviceAreFatal) {
    fake::failDirect3DCreate();
    EXPECT_THROW(Graphics::init("MainGameClass", "Puzzle Tumblix", ""), int);
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text,
              "Failed to initialize Direct3D.\n\nPossible Solutions:\n*Install the latest "
              "version of DirectX.\n*Verify that your system has a Direct3D compatible video "
              "card or on-board video hardware and that it is properly installed.\n*Insure "
              "your video drivers are up-to-date.");

    restart();
    describeCommonAdapter();
    fake::failNextDevice(D3DERR_NOTAVAILABLE);
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    EXPECT_THROW(Graphics::setScreenFormat(
                     ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED)),
                 int);
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text, "Failed to create Direct3DDevice9.");
    EXPECT_FALSE(Graphics::beginFrame());
}

TEST_F(GraphicsStartTest, ShutdownReleasesEverythingForAFreshStart) {
    describeCommonAdapter();
    fake::addImage("tile.png", 32, 32);
    startWindowed();
    Texture* texture = Graphics::loadTexture("tile.png");
    WindowHandle first = Graphics::getWindow();

    Graphics::shutdown();
    EXPECT_EQ(fake::liveReferences(), 1);  // only the texture the caller still owns
    EXPECT_TRUE(fake::windowState(first).destroyed);
    EXPECT_EQ(Graphics::getScreenFormat(), ScreenFormat());
    // A texture outlives the layer, but nothing draws any more.
    EXPECT_FALSE(Graphics::beginFrame());
    EXPECT_EQ(Graphics::drawSprite(texture, 0, 0, 32, 32, 0, 0, 32, 32, ~0u, 0, 0, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(Graphics::endFrame(), D3DERR_INVALIDCALL);
    EXPECT_TRUE(fake::draws().empty());
    delete texture;
    EXPECT_EQ(fake::liveReferences(), 0);

    startWindowed();
    EXPECT_NE(Graphics::getWindow(), first);
    EXPECT_EQ(fake::createdDevices().size(), 2u);
    // The second start lists the adapter's ten formats once, not on top of the first list.
    EXPECT_EQ(Graphics::findFormats(ScreenFormat::pattern(0, 0, 0, 0, 0)).size(), 10u);
    EXPECT_TRUE(Graphics::beginFrame());
}

}  // namespace
