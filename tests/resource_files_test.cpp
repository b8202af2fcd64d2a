// The game's images are found in the working directory, beside the program or in the installed
// data folder, in that order; when none has one, the error names every place looked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/resource_files.h"
#include "log/log.h"
#include "platform/fake/fake_platform.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

class ResourceFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        Log::close();
        // An installation: <prefix>/bin/game and <prefix>/share/puzzle-tumblix; the player
        // starts it from a folder of their own.
        root = fs::canonical(folder.path());
        fs::create_directories(root / "prefix" / "bin");
        fs::create_directories(root / "home");
        fake::setProgramPath((root / "prefix" / "bin" / "game").string());
        previous = fs::current_path();
        fs::current_path(root / "home");
    }
    void TearDown() override { fs::current_path(previous); }

    static void addImage(const fs::path& place) {
        fs::create_directories(place.parent_path());
        std::ofstream(place) << "an image";
    }

    testing_support::TempDir folder;
    fs::path root, previous;
};

TEST_F(ResourceFilesTest, TheFirstPlaceThatHasTheImageWins) {
    const fs::path here = root / "home" / "resources" / "aaa.png";
    const fs::path beside = root / "prefix" / "bin" / "resources" / "aaa.png";
    const fs::path data = root / "prefix" / "share" / "puzzle-tumblix" / "resources" / "aaa.png";
    EXPECT_EQ(resourcePlaces("resources/aaa.png"),
              (std::vector<std::string>{"resources/aaa.png", beside.string(), data.string()}));

    // Each place is added in turn, from the last: each takes over from those after it.
    const struct {
        fs::path added;
        std::string found;
    } cases[] = {{data, data.string()}, {beside, beside.string()}, {here, "resources/aaa.png"}};
    for (const auto& c : cases) {
        addImage(c.added);
        EXPECT_EQ(findResource("resources/aaa.png"), c.found);
    }
}

TEST_F(ResourceFilesTest, WhenNoPlaceHasTheImageTheErrorNamesThemAll) {
    fs::create_directories(root / "home" / "resources" / "aaa.png");  // a folder is no image
    const std::string looked = (root / "home" / "resources" / "aaa.png").string() + ", " +
                               (root / "prefix" / "bin" / "resources" / "aaa.png").string() +
                               ", " +
                               (root / "prefix" / "share" / "puzzle-tumblix" / "resources" /
                                "aaa.png")
                                   .string();
    EXPECT_THROW(findResource("resources/aaa.png"), int);
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_EQ(fake::shownBoxes()[0].text,
              "Failed to create texture 'resources/aaa.png': no such file at " + looked);

    // Where the system cannot tell where the program is, the working directory is all there is.
    fake::setProgramPath("");
    EXPECT_EQ(resourcePlaces("resources/aaa.png"), std::vector<std::string>{"resources/aaa.png"});
}

}  // namespace
