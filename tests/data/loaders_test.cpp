// The files of a laid-out run folder load through the platform exactly as
// the engine and the tool load them.
#include <gtest/gtest.h>

#include "data/run_folder.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

class Loaders : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(data_test::RunMakeData(root_.Path()), 0); }
  Text PathOf(const std::string& relative) const {
    return platform::FromUtf8((root_.Path() / relative).string());
  }

 private:
  data_test::TempFolder root_;
};

TEST_F(Loaders, FontsLoadAtEverySizeTheEngineUses) {
  struct Face {
    const char* file;
    std::vector<int32_t> sizes;
  };
  const Face faces[] = {
      {"Files/Common/Blue Highway.ttf", {8, 10, 12, 14, 16, 18, 20, 24, 32, 40, 52, 64, 72, 96}},
      {"Files/Common/Acknowledge TT BRK.ttf", {8, 12, 18, 20, 24, 32, 40, 52, 64, 96, 112}},
  };
  for (const Face& face : faces) {
    int32_t previous_height = 0;
    for (int32_t size : face.sizes) {
      SCOPED_TRACE(std::string(face.file) + " at " + std::to_string(size));
      int32_t font = fw_load_image_font(PathOf(face.file), size, 4);
      ASSERT_NE(font, 0);
      fw_set_image_font(font);
      EXPECT_GT(fw_text_width(u"Quill Retro 0123"), size * 3);
      EXPECT_GE(fw_text_height(), size * 3 / 4);
      EXPECT_GT(fw_text_height(), previous_height);
      previous_height = fw_text_height();
    }
  }
}

TEST_F(Loaders, ImagesLoadWithTheirCellsAndFlags) {
  struct Strip {
    const char* file;
    int32_t cell, cells, flags;
  };
  for (Strip strip :
       {Strip{"Files/Common/icons.png", 16, 64, 3}, Strip{"Files/Common/icons.png", 16, 64, 1},
        Strip{"Files/001/badges.png", 64, 16, 3}, Strip{"Shapes.png", 64, 100, 8},
        Strip{"Filters.png", 64, 100, 8}}) {
    SCOPED_TRACE(strip.file);
    int32_t image =
        fw_load_anim_image(PathOf(strip.file), strip.cell, strip.cell, 0, strip.cells, strip.flags);
    ASSERT_NE(image, 0);
    EXPECT_EQ(fw_image_frames(image), strip.cells);
    EXPECT_EQ(fw_image_width(image), strip.cell);
  }
  for (const char* file : {"Files/Common/logo.png", "Files/Common/Vantile.png",
                           "Files/001/logo.png", "Files/001/transparent.png"}) {
    EXPECT_NE(fw_load_image(PathOf(file), 3), 0) << file;
  }
}

}  // namespace

namespace {

TEST(ContactSheet, ShowsEveryPictureOnOnePage) {
  data_test::TempFolder folder;
  fs::path page = folder.Path() / "contact.png";
  ASSERT_EQ(data_test::RunMakeData("--contact-sheet '" + page.string() + "'"), 0);
  platform::PixmapRef pixmap = fw_load_pixmap(platform::FromUtf8(page.string()));
  ASSERT_TRUE(pixmap);
  EXPECT_EQ(pixmap->width, 1280);
}

}  // namespace
