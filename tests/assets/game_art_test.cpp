// Every picture the game asks for loads with the engine's own reader, at the size
// the art generator promises, with the flags the game's load modes expect.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/file/file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Picture {
    std::string name;
    int width;
    int height;
};

std::vector<Picture> Manifest() {
    std::vector<Picture> pictures;
    std::ifstream in(std::string(TOLVO_SOURCE_DIR) + "/assets/manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        Picture picture;
        std::getline(fields, picture.name, '\t');
        fields >> picture.width >> picture.height;
        pictures.push_back(picture);
    }
    return pictures;
}

bool IsPage(const std::string& name) {
    return name == "bk1_new.tif" || name == "press space to begin.tif" || name == "titlepage.tif" ||
           name == "game over page.tif" || name == "instructions.tif";
}

TEST(GameArt, EveryPictureLoadsWithTheReaderAtItsSize) {
    const std::vector<Picture> pictures = Manifest();
    ASSERT_GE(pictures.size(), 91u) << "assets/manifest.txt not found or short";
    Tiff tiff; // one reader for the batch, as the game uses it
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.name);
        // The game names its files the Windows way, some in lower case.
        const std::string name = "..\\images\\" + picture.name;
        Image image;
        testing::internal::CaptureStderr();
        tiff.Load(name.c_str(), image, IsPage(picture.name) ? IMG_MODE_OPAQUE : IMG_MODE_COLORKEY);
        const std::string boxes = testing::internal::GetCapturedStderr();
        EXPECT_EQ(boxes, "") << "the reader complained";
        ASSERT_NE(image.pixels, nullptr);
        EXPECT_EQ(image.width, picture.width);
        EXPECT_EQ(image.height, picture.height);
        if (IsPage(picture.name)) {
            EXPECT_EQ(image.flags & (IMG_COLORKEY | IMG_ALPHA), 0) << "pages are opaque";
        } else {
            EXPECT_NE(image.flags & IMG_COLORKEY, 0) << "a sprite needs its alpha sample";
        }
    }
}

} // namespace
