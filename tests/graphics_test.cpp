// Graphics start-up: the log it writes, the adapter report, the window, the device and its
// presentation parameters, and shutting down again.
#include <gmock/gmock.h>

#include "graphics_fixture.h"
#include "platform/constants.h"
#include "platform/os.h"

using namespace platform;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

using GraphicsStartTest = GraphicsTest;

TEST_F(GraphicsStartTest, ANormalStartLogsEveryStepInOrder) {
    describeCommonAdapter();
    fake::setAdapterIdentifier({"nv4_disp.dll", "Fast Card 9000", "\\\\.\\DISPLAY1",
                                (6ull << 48) | (14ull << 32) | (10ull << 16) | 607ull});
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    Graphics::setScreenFormat(ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));

    EXPECT_THAT(logged(), ElementsAreArray({
                              "Initializing window...",
                              "Success!",
                              "Initializing Graphics Sub-System...",
                              "Creating Direct3D 9...",
                              "Success!",
                              "Requesting device capabilities for default graphics adapter...",
                              "Success!",
                              "Collecting primary graphics adapter information...",
                              "Device: \\\\.\\DISPLAY1",
                              "Description: Fast Card 9000",
                              "Driver: nv4_disp.dll",
                              "Product: 6",
                              "Version: 14",
                              "SubVersion: 10",
                              "Build: 607",
                              "Success!",
                              "Enumerating potential screen formats...",
                              "Success!",
                              "Validating requested screen format...",
                              "Success!",
                              "Choosing vertex processing mode...",
                              "Using software vertex processing.",
                              "Success!",
                              "Creating Direct3DDevice9...",
                              "Success!",
                          }));
    EXPECT_TRUE(fake::shownBoxes().empty());
}

TEST_F(GraphicsStartTest, AnAdapterThatCannotBeDescribedOnlyWarns) {
    describeCommonAdapter();
    fake::failAdapterIdentifier(E_FAIL);
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));

    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text,
              "Failed to collect primary graphics adapter information.");
    std::vector<std::string> log = logged();
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log[7], "Collecting primary graphics adapter information...");
    EXPECT_EQ(log[8], "Failed to collect primary graphics adapter information.");
    EXPECT_EQ(log[9], "Enumerating potential screen formats...");
    EXPECT_EQ(Graphics::findFormats(ScreenFormat::pattern(0, 0, 0, 0, 0)).size(), 10u);
}

TEST_F(GraphicsStartTest, HardwareTransformAndLightingChoosesTheVertexProcessing) {
    struct Case {
        uint32_t devCaps;
        uint32_t flags;
        const char* line;
    } cases[] = {
        {D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x142, "Using hardware vertex processing."},
        {0, 0x122, "Using software vertex processing."},
        {~D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x122, "Using software vertex processing."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Graphics::shutdown();
        fake::reset();
        fake::setDataRoot(root.path().string());
        ASSERT_TRUE(Log::open("GraphicsTest"));
        describeCommonAdapter();
        fake::setDeviceCaps(c.devCaps);
        ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
        Graphics::setScreenFormat(
            ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));
        EXPECT_THAT(logged(), ::testing::Contains(c.line));
        ASSERT_EQ(fake::createdDevices().size(), 1u);
        EXPECT_EQ(fake::createdDevices()[0].behaviorFlags, c.flags);
        EXPECT_EQ(fake::createdDevices()[0].focusWindow, Graphics::getWindow());
        EXPECT_EQ(fake::createdDevices()[0].deviceType, D3DDEVTYPE_HAL);
    }
}

TEST_F(GraphicsStartTest, AWindowedFormatCentresTheClientAreaOnTheDesktop) {
    fake::setDesktopMode({1280, 1024, 60, D3DFMT_X8R8G8B8});
    fake::setAdapterModes(D3DFMT_X8R8G8B8, {{800, 600, 60, D3DFMT_X8R8G8B8}});
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    const fake::WindowState& created = fake::windowState(Graphics::getWindow());
    EXPECT_EQ(created.className, "MainGameClass");
    EXPECT_EQ(created.title, "Puzzle Tumblix");
    EXPECT_EQ(created.style, 0x86000000u);
    EXPECT_EQ(created.width, 320);
    EXPECT_EQ(created.height, 240);
    EXPECT_FALSE(created.visible);

    Graphics::setScreenFormat(ScreenFormat(800, 600, D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));
    const fake::WindowState& shown = fake::windowState(Graphics::getWindow());
    EXPECT_EQ(shown.style, 0x06CA0000u);
    // Client area at (240, 212), 800 x 600; the frame adds a border and the caption.
    EXPECT_EQ(shown.x, 240 - fake::kBorder);
    EXPECT_EQ(shown.y, 212 - fake::kBorder - fake::kCaption);
    EXPECT_EQ(shown.width, 800 + 2 * fake::kBorder);
    EXPECT_EQ(shown.height, 600 + 2 * fake::kBorder + fake::kCaption);
    EXPECT_TRUE(shown.visible);
    EXPECT_TRUE(shown.focused);
    EXPECT_FALSE(shown.topMost);

    const PresentParameters& p = fake::createdDevices().at(0).parameters;
    EXPECT_EQ(p.backBufferWidth, 800u);
    EXPECT_EQ(p.backBufferHeight, 600u);
    EXPECT_EQ(p.backBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.backBufferCount, 1u);
    EXPECT_EQ(p.multiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.multiSampleQuality, 0u);
    EXPECT_EQ(p.swapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.deviceWindow, Graphics::getWindow());
    EXPECT_TRUE(p.windowed);
    EXPECT_TRUE(p.enableAutoDepthStencil);
    EXPECT_EQ(p.autoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(p.flags, 0u);
    EXPECT_EQ(p.fullScreenRefreshRateInHz, 0u);
    EXPECT_EQ(p.presentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_THAT(fake::calls(), ElementsAre("SetRenderState 22 1"));
}

TEST_F(GraphicsStartTest, AFullscreenFormatMakesATopMostPopUpAtItsRate) {
    describeCommonAdapter();
    fake::setAdapterModes(D3DFMT_X8R8G8B8, {{1024, 768, 75, D3DFMT_X8R8G8B8}});
    ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
    Graphics::setScreenFormat(
        ScreenFormat(1024, 768, D3DFMT_X8R8G8B8, 75, ScreenFormat::FULLSCREEN));

    const fake::WindowState& shown = fake::windowState(Graphics::getWindow());
    EXPECT_EQ(shown.style, 0x86000000u);
    EXPECT_TRUE(shown.topMost);
    EXPECT_TRUE(shown.visible);
    EXPECT_EQ(shown.width, 320);  // a fullscreen device sizes the window itself
    const PresentParameters& p = fake::createdDevices().at(0).parameters;
    EXPECT_FALSE(p.windowed);
    EXPECT_EQ(p.fullScreenRefreshRateInHz, 75u);
    EXPECT_EQ(p.backBufferWidth, 1024u);
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

    Graphics::shutdown();
    fake::reset();
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

TEST_F(GraphicsStartTest, TheWindowProcedureQuitsOnCloseAndKeepsTheScreenAwake) {
    describeCommonAdapter();
    startWindowed();
    WindowHandle window = Graphics::getWindow();
    struct Case {
        uint32_t message;
        uintptr_t wParam;
        bool postsQuit;
    } cases[] = {
        {WM_CLOSE, 0, true},
        {WM_SYSCOMMAND, SC_SCREENSAVE, false},
        {WM_SYSCOMMAND, SC_MONITORPOWER, false},
        {WM_SYSCOMMAND, SC_MINIMIZE, false},
    };
    for (const Case& c : cases) {
        fake::queueMessage(Message{window, c.message, c.wParam, 0});
        Message taken;
        ASSERT_TRUE(peekMessage(taken));
        EXPECT_EQ(dispatchMessage(taken), 0);
        EXPECT_EQ(fake::queuedMessages(), c.postsQuit ? 1u : 0u) << c.message << " " << c.wParam;
        if (c.postsQuit) {
            ASSERT_TRUE(peekMessage(taken));
            EXPECT_EQ(taken.message, WM_QUIT);
            EXPECT_EQ(taken.wParam, 0u);
        }
    }
    EXPECT_FALSE(fake::windowState(window).destroyed);
}

TEST_F(GraphicsStartTest, ShutdownReleasesEverythingAndAllowsAFreshStart) {
    describeCommonAdapter();
    fake::addImage("tile.png", 32, 32);
    startWindowed();
    Texture* texture = Graphics::loadTexture("tile.png");
    WindowHandle first = Graphics::getWindow();

    Graphics::shutdown();
    EXPECT_EQ(fake::liveReferences(), 1);  // only the texture the caller still owns
    EXPECT_TRUE(fake::windowState(first).destroyed);
    EXPECT_EQ(Graphics::getWindow(), nullptr);
    EXPECT_EQ(Graphics::getScreenFormat(), ScreenFormat());
    EXPECT_EQ(Graphics::getDesktopFormat(), ScreenFormat());
    EXPECT_TRUE(Graphics::findFormats(ScreenFormat::pattern(0, 0, 0, 0, 0)).empty());
    EXPECT_FALSE(Graphics::beginFrame());
    delete texture;
    EXPECT_EQ(fake::liveReferences(), 0);

    startWindowed();
    EXPECT_NE(Graphics::getWindow(), first);
    EXPECT_EQ(fake::createdDevices().size(), 2u);
    EXPECT_TRUE(Graphics::beginFrame());
}

}  // namespace
