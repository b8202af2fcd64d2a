// A fresh graphics layer on the fake driver for each test, with the log captured in order.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "log/log.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/fake/fake_platform.h"
#include "test_support.h"

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override {
        Graphics::shutdown();
        Log::close();
    }

    // Back to no graphics layer, the fake's defaults and an empty log; tables call it per case.
    void restart() {
        Graphics::shutdown();
        fake::reset();
        fake::setDataRoot(root.path().string());
        ASSERT_TRUE(Log::open("GraphicsTest"));
    }

    // Every message logged since the log was last opened, in order.
    std::vector<std::string> logged() const {
        std::string log = testing_support::readFile(Log::path());
        static const std::regex entry(R"(\]: ([\s\S]*?)<br>)");
        std::vector<std::string> messages;
        for (auto it = std::sregex_iterator(log.begin(), log.end(), entry);
             it != std::sregex_iterator(); ++it) {
            messages.push_back((*it)[1]);
        }
        return messages;
    }

    // The adapter of the usual examples: a 1024 x 768 X8R8G8B8 desktop and, for both pixel
    // formats, 640 x 480, 800 x 600 and 1024 x 768 at 60 Hz.
    static void describeCommonAdapter() {
        fake::setDesktopMode({1024, 768, 60, platform::D3DFMT_X8R8G8B8});
        for (platform::D3DFORMAT format : {platform::D3DFMT_R5G6B5, platform::D3DFMT_X8R8G8B8}) {
            fake::setAdapterModes(
                format, {{640, 480, 60, format}, {800, 600, 60, format}, {1024, 768, 60, format}});
        }
    }

    // Starts the graphics layer as the game does and forgets the log of it.
    void startWindowed() {
        ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
        Graphics::setScreenFormat(
            ScreenFormat(800, 600, platform::D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));
        ASSERT_TRUE(Log::open("GraphicsTest"));
    }

    testing_support::TempDir root;
};
