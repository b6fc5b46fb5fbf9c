// The pictures of a laid-out run folder satisfy the loaders that read them.
#include <gtest/gtest.h>

#include <set>

#include "data/run_folder.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

struct Rgb {
  int32_t r, g, b;
};

Rgb PixelAt(const platform::PixmapRef& pixmap, int32_t x, int32_t y) {
  uint32_t argb = fw_read_pixel(pixmap, x, y);
  return {int32_t(argb >> 16 & 0xFF), int32_t(argb >> 8 & 0xFF), int32_t(argb & 0xFF)};
}

platform::PixmapRef Load(const fs::path& path) {
  return fw_load_pixmap(platform::FromUtf8(path.string()));
}

// The tool's rule: the first cell whose top-left pixel is cyan-like stops
// the sheet, and the count is the cell before it.
int32_t UsableCount(const platform::PixmapRef& sheet) {
  for (int32_t cell = 0; cell < 100; ++cell) {
    Rgb corner = PixelAt(sheet, (cell % 10) * 64, (cell / 10) * 64);
    if (corner.r < 100 && corner.g > 100 && corner.b > 100) return cell - 1;
  }
  return 0;
}

class Pictures : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(data_test::RunMakeData(root_.Path()), 0); }
  fs::path Root() const { return root_.Path(); }

 private:
  data_test::TempFolder root_;
};

TEST_F(Pictures, SheetsHoldAHundredCellsAndStopAfterTheUsableOnes) {
  struct Sheet {
    const char* name;
    int32_t at_least;
  };
  for (Sheet sheet : {Sheet{"Shapes.png", 39}, Sheet{"Filters.png", 19}}) {
    SCOPED_TRACE(sheet.name);
    platform::PixmapRef pixmap = Load(Root() / sheet.name);
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->width, 640);
    EXPECT_GE(pixmap->height / 64 * 10, 100);
    EXPECT_GE(UsableCount(pixmap), sheet.at_least);
  }
}

TEST_F(Pictures, EveryShapeIsAStencilWithASoftEdge) {
  platform::PixmapRef sheet = Load(Root() / "Shapes.png");
  ASSERT_TRUE(sheet);
  for (int32_t cell = 0; cell <= UsableCount(sheet); ++cell) {
    SCOPED_TRACE(cell);
    int32_t body = 0, halo = 0, empty = 0;
    for (int32_t y = 0; y < 64; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        int32_t red = PixelAt(sheet, (cell % 10) * 64 + x, (cell / 10) * 64 + y).r;
        body += red >= 140;
        halo += red > 20 && red < 140;
        empty += red <= 20;
      }
    }
    // A real shape: a body the threshold keeps, a halo that randomness adds
    // to it, and room around it.
    EXPECT_GT(body, 250);
    EXPECT_GT(halo, 100);
    EXPECT_GT(empty, 100);
  }
}

TEST_F(Pictures, FiltersDarkenWithoutBlackingOut) {
  platform::PixmapRef sheet = Load(Root() / "Filters.png");
  ASSERT_TRUE(sheet);
  for (int32_t cell = 1; cell <= UsableCount(sheet); ++cell) {
    SCOPED_TRACE(cell);
    int32_t darkest = 255, lightest = 0;
    for (int32_t y = 0; y < 64; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        int32_t blue = PixelAt(sheet, (cell % 10) * 64 + x, (cell / 10) * 64 + y).b;
        darkest = std::min(darkest, blue);
        lightest = std::max(lightest, blue);
      }
    }
    EXPECT_LT(darkest, 200);   // it does shade
    EXPECT_GE(darkest, 20);    // but never blacks a sprite out
    EXPECT_GE(lightest, 230);  // and keeps some light
  }
}

TEST_F(Pictures, PalettesSampleToSixtyFourColoursThatAreNeverTheMaskColour) {
  int32_t palettes = 0;
  for (const auto& entry : fs::directory_iterator(Root() / "Palettes")) {
    SCOPED_TRACE(entry.path().filename().string());
    ASSERT_EQ(entry.path().extension(), ".png");
    platform::PixmapRef pixmap = Load(entry.path());
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->width, 16);
    EXPECT_EQ(pixmap->height, 16);
    std::set<uint32_t> colours;
    for (int32_t i = 0; i < 64; ++i) {
      Rgb c = PixelAt(pixmap, 2 * (i % 8), 2 * (i / 8));
      EXPECT_NE(c.r + c.g + c.b, 0) << "colour " << i;
      colours.insert(uint32_t(c.r << 16 | c.g << 8 | c.b));
      // Each cell is one colour, 2 x 2 pixels.
      EXPECT_EQ(fw_read_pixel(pixmap, 2 * (i % 8) + 1, 2 * (i / 8) + 1),
                fw_read_pixel(pixmap, 2 * (i % 8), 2 * (i / 8)));
    }
    EXPECT_GE(colours.size(), 4u);
    ++palettes;
  }
  EXPECT_GE(palettes, 8);
}

bool CellHasPicture(const platform::PixmapRef& pixmap, int32_t x0, int32_t y0, int32_t size) {
  for (int32_t y = y0; y < y0 + size; ++y) {
    for (int32_t x = x0; x < x0 + size; ++x) {
      if ((fw_read_pixel(pixmap, x, y) & 0xFFFFFF) != 0) return true;
    }
  }
  return false;
}

TEST_F(Pictures, IconsHoldEveryFrameTheEngineDraws) {
  platform::PixmapRef icons = Load(Root() / "Files/Common/icons.png");
  ASSERT_TRUE(icons);
  EXPECT_EQ(icons->width, 128);
  EXPECT_EQ(icons->height, 128);
  for (int32_t frame : {3, 7, 8, 9, 10, 13, 14, 18, 19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 63}) {
    EXPECT_TRUE(CellHasPicture(icons, (frame % 8) * 16, (frame / 8) * 16, 16)) << frame;
  }
  // The pointer's tip is its top-left pixel.
  EXPECT_NE(fw_read_pixel(icons, 7 * 16, 7 * 16) & 0xFFFFFF, 0u);
}

TEST_F(Pictures, LogosBadgesAndCheckerboardHaveTheirSizes) {
  struct Expected {
    const char* path;
    int32_t width, height;
  };
  for (Expected e :
       {Expected{"Files/Common/logo.png", 512, 256}, Expected{"Files/Common/Vantile.png", 512, 256},
        Expected{"Files/001/logo.png", 256, 64}, Expected{"Files/001/badges.png", 256, 256},
        Expected{"Files/001/transparent.png", 128, 128}}) {
    SCOPED_TRACE(e.path);
    platform::PixmapRef pixmap = Load(Root() / e.path);
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->width, e.width);
    EXPECT_EQ(pixmap->height, e.height);
  }
  platform::PixmapRef badges = Load(Root() / "Files/001/badges.png");
  for (int32_t cell = 0; cell < 16; ++cell) {
    EXPECT_TRUE(CellHasPicture(badges, (cell % 4) * 64, (cell / 4) * 64, 64)) << cell;
  }
  // Loaded masked, so no square of the checkerboard may be the mask colour.
  platform::PixmapRef board = Load(Root() / "Files/001/transparent.png");
  for (int32_t y = 0; y < 128; ++y) {
    for (int32_t x = 0; x < 128; ++x) ASSERT_NE(fw_read_pixel(board, x, y) & 0xFFFFFF, 0u);
  }
}

}  // namespace
