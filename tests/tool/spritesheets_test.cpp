// The spritesheet builders: cell layout, frame and seed order, hue shifts,
// Escape, the saved file and the state left behind.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ctime>

#include "tool/tool_stage.h"

namespace {

using Pixels = std::vector<uint32_t>;

constexpr int32_t kStartSeed = 4242;
constexpr int32_t kSheet = 512;

// Two layers with colour noise, mirrors and movement, so that frames, seeds
// and hue shifts all show in the pixels.
void UseLivelySettings(int32_t frames) {
  int32_t* s = tool::ToolSettings;
  s[11] = 100, s[12] = 180, s[13] = 120, s[14] = 255, s[15] = 30, s[16] = 30;
  s[20] = frames;
  s[200] = 1, s[201] = 1, s[203] = 50, s[204] = 20, s[214] = 40, s[217] = 20, s[240] = 1;
  s[221] = 3, s[222] = 80, s[225] = 1, s[231] = 2, s[232] = 50;
  s[400] = 1, s[403] = 30, s[411] = 60, s[419] = 30, s[440] = 2;
  tool::AnimFrames = frames;
}

void UseSize(int32_t width, int32_t height) {
  tool::SpriteWidth = width;
  tool::SpriteHeight = height;
  tool::SpriteImage = fw_create_image(width, height, 128, 9);
}

Pixels FramePixels(int32_t image, int32_t frame) {
  platform::PixmapRef pixmap = fw_lock_image(image, frame, 1, 0);
  Pixels pixels = pixmap->pixels;
  fw_unlock_image(image, frame);
  return pixels;
}

Pixels Cell(const Pixels& sheet, int32_t column, int32_t row) {
  const int32_t w = tool::SpriteWidth, h = tool::SpriteHeight;
  Pixels cell;
  for (int32_t y = row * h; y < row * h + h; ++y) {
    for (int32_t x = column * w; x < column * w + w; ++x) cell.push_back(sheet[y * kSheet + x]);
  }
  return cell;
}

// A frame made directly by the generator, as the tool's preview would.
Pixels DirectFrame(int32_t seed, int32_t frame, int32_t hue_shift) {
  const int32_t kept = tool::SpriteSeed;
  tool::SpriteSeed = seed;
  tool::GenerateSpriteFrame(frame, hue_shift);
  tool::SpriteSeed = kept;
  return FramePixels(tool::SpriteImage, tool::StoredFrame(frame));
}

// The seed that follows a whole animation of `seed`.
int32_t SeedAfter(int32_t seed) {
  fw_seed_rnd(seed + 2000);
  return static_cast<int32_t>(std::llabs(int64_t(seed) + fw_rand_int(seed, 1)));
}

bool AnyVisible(const Pixels& pixels) {
  return std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; });
}

class Spritesheets : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.SetUpTool();
    stage_.StartWorkingState(kStartSeed);
    UseLivelySettings(4);
  }

  // Builds and gives the sheet; `presents` receives the frames shown.
  Pixels Build(int32_t (*builder)(), int32_t* presents = nullptr) {
    const int32_t before = stage_.host().Presents();
    builder();
    if (presents) *presents = stage_.host().Presents() - before;
    return FramePixels(tool::SheetImage, 0);
  }

  std::vector<std::string> SavedSheets() { return stage_.FileNames("Spritesheets"); }

  tool_stage::ToolStage stage_;
};

struct Layout {
  int32_t width, height, columns, rows;
};

class SheetLayouts : public Spritesheets, public ::testing::WithParamInterface<Layout> {};

TEST_P(SheetLayouts, FillEveryWholeCellAndLeaveTheRestTransparent) {
  const Layout layout = GetParam();
  UseSize(layout.width, layout.height);
  int32_t presents = 0;
  Pixels sheet = Build(tool::BuildBatchSpritesheet, &presents);
  // The progress frame is shown once every sixth cell.
  EXPECT_EQ(presents, layout.columns * layout.rows / 6);
  EXPECT_EQ(Cell(sheet, 0, 0), DirectFrame(kStartSeed, 0, 0));
  EXPECT_TRUE(AnyVisible(Cell(sheet, layout.columns - 1, layout.rows - 1)));
  for (int32_t y = 0; y < kSheet; ++y) {
    for (int32_t x = 0; x < kSheet; ++x) {
      if (x >= layout.columns * layout.width || y >= layout.rows * layout.height) {
        ASSERT_EQ(sheet[y * kSheet + x], 0u) << x << ", " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SheetLayouts,
                         ::testing::Values(Layout{8, 8, 64, 64}, Layout{64, 64, 8, 8},
                                           Layout{24, 16, 21, 32}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" +
                                  std::to_string(info.param.height);
                         });

TEST_F(Spritesheets, BatchRowHoldsEachSeedsAnimationThenTheNextSeeds) {
  UseSize(16, 16);
  Pixels sheet = Build(tool::BuildBatchSpritesheet);
  int32_t seed = kStartSeed;
  for (int32_t column = 0; column < 32; ++column) {
    if (column > 0 && column % 4 == 0) seed = SeedAfter(seed);
    ASSERT_EQ(Cell(sheet, column, 0), DirectFrame(seed, column % 4, 0)) << "column " << column;
  }
  EXPECT_NE(Cell(sheet, 0, 0), Cell(sheet, 1, 0));
  EXPECT_NE(Cell(sheet, 0, 0), Cell(sheet, 4, 0));
}

TEST_F(Spritesheets, WithoutAnimationBatchCellsTakeANewSeedEach) {
  UseSize(32, 32);
  for (int32_t frames : {0, 1}) {
    UseLivelySettings(frames);
    Pixels sheet = Build(tool::BuildBatchSpritesheet);
    int32_t seed = kStartSeed;
    for (int32_t column = 0; column < 8; ++column) {
      ASSERT_EQ(Cell(sheet, column, 0), DirectFrame(seed, 0, 0)) << frames << ", " << column;
      seed = SeedAfter(seed);
    }
  }
}

TEST_F(Spritesheets, WithoutAnimationColourVariantCellsStepTheHueThenTheSeed) {
  UseSize(32, 32);
  for (int32_t frames : {0, 1}) {
    UseLivelySettings(frames);
    Pixels sheet = Build(tool::BuildColourVariantSpritesheet);
    // 16 cells a row: the twenty-first cell, on the second row, has the next seed.
    for (int32_t cell = 0; cell < 24; ++cell) {
      const int32_t seed = cell < 20 ? kStartSeed : SeedAfter(kStartSeed);
      ASSERT_EQ(Cell(sheet, cell % 16, cell / 16), DirectFrame(seed, 0, 13 * (cell % 20)))
          << frames << ", " << cell;
    }
    EXPECT_NE(Cell(sheet, 0, 0), Cell(sheet, 1, 0));
  }
}

TEST_F(Spritesheets, ColourVariantsRepeatTheAnimationPerHueShift) {
  UseSize(16, 16);
  Pixels sheet = Build(tool::BuildColourVariantSpritesheet);
  for (int32_t column = 0; column < 12; ++column) {
    ASSERT_EQ(Cell(sheet, column, 0), DirectFrame(kStartSeed, column % 4, 13 * (column / 4)))
        << column;
  }
}

TEST_F(Spritesheets, SameSeedGivesTheSameSheetAndTheStateIsRestored) {
  UseSize(32, 32);
  tool::UiState = tool::kUiSpritesheetMenu;
  tool::MouseConsumed = 0;
  Pixels first = Build(tool::BuildBatchSpritesheet);
  EXPECT_EQ(tool::SpriteSeed, kStartSeed);
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::MouseConsumed, 1);
  EXPECT_EQ(Build(tool::BuildBatchSpritesheet), first);
  EXPECT_EQ(tool::SpriteSeed, kStartSeed);
}

// A preset file made by hand may ask for more frames than the tool stores.
TEST_F(Spritesheets, FramesBeyondTheStoredOnesFillTheirCellsThePreviewAndAPreset) {
  UseSize(16, 16);
  UseLivelySettings(300);
  Pixels sheet = Build(tool::BuildBatchSpritesheet);
  for (int32_t frame : {128, 200, 299}) {
    const Pixels cell = Cell(sheet, frame % 32, frame / 32);
    EXPECT_TRUE(AnyVisible(cell)) << frame;
    ASSERT_EQ(cell, DirectFrame(kStartSeed, frame, 0)) << frame;
  }
  EXPECT_TRUE(AnyVisible(FramePixels(tool::PreviewImage, tool::StoredFrame(299))));
  tool::SavePreset(299);
  EXPECT_EQ(tool_stage::ToolStage::Notices().back(), u"Saved NameYourSprite");
}

// The panel's Apply runs the tool's set-up again, which makes a new sheet.
TEST_F(Spritesheets, AnApplyInTheMiddleOfABuildKeepsTheSheet) {
  UseSize(32, 32);
  const Pixels plain = Build(tool::BuildBatchSpritesheet);
  const int32_t sheet_before = tool::SheetImage;
  platform::ScriptedHost& host = stage_.host();
  const int32_t start = host.Presents();
  host.QueueAtFrame(start + 2, tool_stage::KeyDown(9));  // Tab opens the panel
  host.QueueAtFrame(start + 3, tool_stage::KeyUp(9));
  host.QueueAtFrame(start + 14, tool_stage::MouseMove(24, 284));  // on "Apply"
  host.QueueAtFrame(start + 15, tool_stage::MouseDown(1));
  host.QueueAtFrame(start + 16, tool_stage::MouseUp(1));
  EXPECT_EQ(Build(tool::BuildBatchSpritesheet), plain);
  EXPECT_NE(tool::SheetImage, sheet_before);  // the Apply ran
}

TEST_F(Spritesheets, SeedsNearTheTopOfTheRangeWrapIntoTheNextSeed) {
  // seed + a draw of up to seed passes 2^31 - 1: the step wraps, never faults.
  const int32_t high_seed = 2147483000;
  tool::SpriteSeed = high_seed;
  UseSize(64, 64);
  UseLivelySettings(1);
  Pixels first = Build(tool::BuildBatchSpritesheet);
  EXPECT_EQ(tool::SpriteSeed, high_seed);
  EXPECT_EQ(Cell(first, 0, 0), DirectFrame(high_seed, 0, 0));
  EXPECT_TRUE(AnyVisible(Cell(first, 7, 7)));
  EXPECT_EQ(Build(tool::BuildBatchSpritesheet), first);
}

TEST_F(Spritesheets, SavesUnderTheCleanedNameWithDateAndTime) {
  tool::SpriteName = u"My.Sprite";
  UseSize(64, 64);
  const std::string date_before = platform::ToUtf8(fw_current_date());
  const auto notices_before = tool_stage::ToolStage::Notices();
  Build(tool::BuildBatchSpritesheet);
  const std::string date_after = platform::ToUtf8(fw_current_date());

  std::vector<std::string> files = SavedSheets();
  ASSERT_EQ(files.size(), 1u);
  // "MySprite_(DD Mon YYYY_HHMMSS).png": the dot and the time's colons go.
  const std::string name = files[0], prefix = "MySprite_(";
  ASSERT_EQ(name.size(), prefix.size() + 23) << name;
  EXPECT_EQ(name.substr(0, prefix.size()), prefix);
  const std::string date = name.substr(prefix.size(), 11);
  EXPECT_TRUE(date == date_before || date == date_after) << name;
  EXPECT_EQ(name[prefix.size() + 11], '_');
  const std::string time = name.substr(prefix.size() + 12, 6);
  EXPECT_TRUE(std::all_of(time.begin(), time.end(), ::isdigit)) << name;
  EXPECT_EQ(name.substr(prefix.size() + 18), ").png");
  platform::PixmapRef saved =
      fw_load_pixmap(platform::FromUtf8(stage_.Path("Spritesheets/" + files[0]).string()));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->width, kSheet);
  EXPECT_EQ(saved->height, kSheet);
  EXPECT_EQ(saved->pixels, FramePixels(tool::SheetImage, 0));
  EXPECT_EQ(tool_stage::ToolStage::Notices(), notices_before);
}

// Sheets are named to the second, and a small one takes far less than that.
TEST_F(Spritesheets, ASheetOfASecondThatHasOneAlreadyTakesTheNextCopyNumber) {
  tool::SpriteName = u"Sheet";
  UseSize(64, 64);
  // Another sheet for every second in which this build may end.
  std::vector<std::string> others;
  for (std::time_t second = std::time(nullptr), end = second + 60; second < end; ++second) {
    std::tm local{};
    localtime_r(&second, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%d %b %Y_%H%M%S", &local);
    others.push_back("Sheet_(" + std::string(stamp) + ").png");
    stage_.Write("Spritesheets/" + others.back(), "another sheet");
  }
  Build(tool::BuildBatchSpritesheet);
  std::vector<std::string> files = SavedSheets();
  ASSERT_EQ(files.size(), others.size() + 1);
  for (const std::string& other : others)
    EXPECT_EQ(stage_.Read("Spritesheets/" + other), "another sheet");
  const auto added = std::find_if(files.begin(), files.end(), [&](const std::string& name) {
    return std::find(others.begin(), others.end(), name) == others.end();
  });
  ASSERT_NE(added, files.end());
  EXPECT_EQ(added->substr(added->size() - 7), ")_2.png") << *added;
  EXPECT_TRUE(std::find(others.begin(), others.end(),
                        added->substr(0, added->size() - 6) + ".png") != others.end())
      << *added;
  platform::PixmapRef saved =
      fw_load_pixmap(platform::FromUtf8(stage_.Path("Spritesheets/" + *added).string()));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->pixels, FramePixels(tool::SheetImage, 0));
}

TEST_F(Spritesheets, EscapeEndsTheRowUncopiedAndTheSheetIsStillSaved) {
  stage_.host().Queue(tool_stage::KeyDown(27));
  int32_t presents = 0;
  Pixels sheet = Build(tool::BuildBatchSpritesheet, &presents);
  // The rest of the first row is still made (and shown), but lands off the sheet.
  EXPECT_EQ(presents, 64 / 6);
  EXPECT_EQ(Cell(sheet, 0, 0), DirectFrame(kStartSeed, 0, 0));
  EXPECT_TRUE(AnyVisible(Cell(sheet, 0, 0)));
  sheet.erase(sheet.begin(), sheet.begin() + 8 * kSheet);
  EXPECT_FALSE(AnyVisible(sheet));
  for (int32_t column = 1; column < 64; ++column) {
    ASSERT_FALSE(AnyVisible(Cell(FramePixels(tool::SheetImage, 0), column, 0)));
  }
  EXPECT_EQ(SavedSheets().size(), 1u);
  EXPECT_EQ(tool::SpriteSeed, kStartSeed);
  stage_.host().Queue(tool_stage::KeyUp(27));
  fw_key_down(27);
}

TEST_F(Spritesheets, AMissingFolderIsMadeAgainAndOnlyAFailedSaveIsSaidOnScreen) {
  std::filesystem::remove_all(stage_.Path("Spritesheets"));
  UseSize(64, 64);
  auto notices = tool_stage::ToolStage::Notices();
  Build(tool::BuildColourVariantSpritesheet);
  EXPECT_EQ(SavedSheets().size(), 1u);
  EXPECT_EQ(tool_stage::ToolStage::Notices(), notices);

  std::filesystem::remove_all(stage_.Path("Spritesheets"));
  stage_.Write("Spritesheets", "a file, not a folder");
  Build(tool::BuildColourVariantSpritesheet);
  notices.push_back(u"Could not save spritesheet");
  EXPECT_EQ(tool_stage::ToolStage::Notices(), notices);
  EXPECT_EQ(stage_.Read("Spritesheets"), "a file, not a folder");
  EXPECT_EQ(tool::SpriteSeed, kStartSeed);
}

// A name of 244 bytes of UTF-8 whose characters take 1 and 4 bytes, so that
// a cut at a byte count would fall inside one.
TEST_F(Spritesheets, AListedPresetWithALongNameBuildsACutSheetNameAndSavesAgain) {
  Text name = u"abcd";
  for (int32_t i = 0; i < 60; ++i) name += u"\U0001F600";
  const std::string utf8 = platform::ToUtf8(name);
  ASSERT_EQ(utf8.size(), 244u);
  const std::string settings = tool_stage::ToolStage::PresetBytes(77, {{2998, 64}, {2999, 64}});
  stage_.AddPreset(utf8, settings);
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 1);
  tool::ApplyPreset(*tool::PresetList.Links().front());
  EXPECT_EQ(tool::SpriteName, name);

  Build(tool::BuildBatchSpritesheet);
  ASSERT_EQ(SavedSheets().size(), 1u);
  // "abcd" and the first 56 whole faces, 228 bytes, are kept; the stamp stays.
  const std::string sheet = SavedSheets()[0];
  EXPECT_EQ(sheet.size(), 228u + 25u) << sheet;
  EXPECT_EQ(sheet.substr(0, 228), utf8.substr(0, 228));
  EXPECT_EQ(sheet.substr(228, 2), "_(");
  EXPECT_EQ(sheet.substr(sheet.size() - 5), ").png");

  tool::SavePreset(0);
  EXPECT_EQ(tool_stage::ToolStage::Notices().back(), u"Saved " + name);
  EXPECT_EQ(stage_.FileNames("Presets"), (std::vector<std::string>{utf8 + ".dat", utf8 + ".png"}));
  EXPECT_EQ(stage_.Read("Presets/" + utf8 + ".dat"), settings);
}

}  // namespace
