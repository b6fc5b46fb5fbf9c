// The frame loop run pass by pass on the scripted host, with the pointer,
// buttons, keys and wheel queued for the pass that should see them.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "tool/tool_draw.h"
#include "tool_stage.h"

namespace {

using platform::InputEvent;
using tool_stage::Event;

struct StopLoop {};

class FrameLoopTest : public ::testing::Test {
 protected:
  FrameLoopTest() {
    stage_.LoadCommonAssets();
    stage_.SetUpTool();
    start_ = stage_.host().Presents();
  }

  // Queues an event for the pumps of pass `pass` (1-based).
  void At(int32_t pass, const InputEvent& event) {
    stage_.host().QueueAtFrame(start_ + pass - 1, event);
  }
  // The pointer as the controls of pass `pass` see it: latched by the hub at
  // the end of the pass before.
  void PointerFor(int32_t pass, float x, float y) {
    stage_.host().QueueAtFrame(start_ + pass - 2, tool_stage::MouseMove(x, y));
  }
  // A left press held over passes first..last, at (x, y).
  void Click(int32_t first, int32_t last, float x, float y) {
    PointerFor(first, x, y);
    At(first, Event(InputEvent::kMouseDown, 1, x, y));
    At(last + 1, tool_stage::MouseUp(1));
  }
  // Runs the loop for `passes` passes; `after` sees each pass once shown.
  void Run(int32_t passes, std::function<void(int32_t)> after = {}) {
    stage_.host().on_present = [&](platform::ScriptedHost&, int32_t presents) {
      const int32_t pass = presents - start_;
      if (after) after(pass);
      if (pass >= passes) throw StopLoop{};
    };
    EXPECT_THROW(tool::RunSpriteToolLoop(), StopLoop);
    stage_.host().on_present = nullptr;
  }
  uint32_t Pixel(int32_t x, int32_t y) { return At(stage_.host().LastFrame(), x, y); }
  static uint32_t At(const std::vector<uint32_t>& frame, int32_t x, int32_t y) {
    return frame[size_t(y) * 800 + size_t(x)] & 0xFFFFFFu;
  }
  // The pixels of a w x h rectangle of a shown frame, row by row.
  static std::vector<uint32_t> Area(const std::vector<uint32_t>& frame, int32_t x, int32_t y,
                                    int32_t w, int32_t h) {
    std::vector<uint32_t> pixels;
    for (int32_t row = y; row < y + h; ++row) {
      for (int32_t column = x; column < x + w; ++column) pixels.push_back(At(frame, column, row));
    }
    return pixels;
  }

  // The passes that regenerated a frame: the generator moved away from the
  // marker seed the pass before left it at.
  std::set<int32_t> RegeneratingPasses(int32_t passes) {
    std::set<int32_t> regenerated;
    int32_t marker = 0;
    Run(passes, [&](int32_t pass) {
      if (pass > 1 && platform::RandomState() != marker) regenerated.insert(pass);
      fw_seed_rnd(4242);
      marker = platform::RandomState();
    });
    return regenerated;
  }
  // The top of the last preset row: its black rectangle below the column's
  // background, at x 70 where neither name nor icon reaches.
  int32_t LastRowTop() {
    int32_t top = -1;
    for (int32_t y = 19; y < 540; ++y) {
      if (Pixel(70, y) == 0 && Pixel(70, y - 1) == 0x826464u) top = y;
    }
    return top;
  }

  tool_stage::ToolStage stage_;
  int32_t start_ = 0;
};

TEST_F(FrameLoopTest, StartsWithANamedEightByEightSpriteAndNoPalette) {
  Run(1);
  EXPECT_EQ(tool::SpriteName, u"NameYourSprite");
  EXPECT_EQ(tool::SpriteWidth, 8);
  EXPECT_EQ(tool::SpriteHeight, 8);
  EXPECT_EQ(fw_image_width(tool::SpriteImage), 8);
  EXPECT_EQ(fw_image_frames(tool::SpriteImage), 128);
  EXPECT_EQ(tool::PaletteOn, 0);
  EXPECT_EQ(tool::UiState, tool::kUiIdle);
  EXPECT_EQ(tool::TicksPerFrame, 8);
  ASSERT_FALSE(stage_.Notices().empty());
  EXPECT_EQ(stage_.Notices().back(), u"No Specific Palette");
}

TEST_F(FrameLoopTest, FourFramesAreEachRebuiltOnceEveryThirtyTwoPasses) {
  tool::ToolSettings[20] = 4;
  auto passes = RegeneratingPasses(64);
  EXPECT_EQ(passes, (std::set<int32_t>{8, 16, 24, 32, 40, 48, 56, 64}));
  EXPECT_EQ(tool::AnimFrames, 4);
}

// A preset made by hand may ask for more frames than the images store; the
// preview shows those too. Without movement every frame looks the same.
TEST_F(FrameLoopTest, FramesBeyondTheStoredOnesShowInThePreview) {
  tool::ToolSettings[20] = 130, tool::ToolSettings[200] = 1, tool::ToolSettings[203] = 100;
  std::vector<std::vector<uint32_t>> previews;  // of frames 2 and 129
  Run(8 * 129 + 1, [&](int32_t pass) {
    if (pass == 8 * 2 + 1 || pass == 8 * 129 + 1)
      previews.push_back(Area(stage_.host().LastFrame(), 670, 470, 130, 130));
  });
  EXPECT_EQ(previews[1], previews[0]);
}

TEST_F(FrameLoopTest, WithoutFramesTheFirstFrameIsRebuiltEveryPass) {
  auto passes = RegeneratingPasses(10);
  EXPECT_EQ(passes.size(), 9u);  // every pass after the first observed one
}

TEST_F(FrameLoopTest, HeldNewChangesTheSeedEveryPassWhileHeldSaveWritesOnce) {
  Click(3, 6, 775, 445);    // New
  Click(10, 16, 100, 575);  // Save
  std::vector<int32_t> seeds;
  Run(20, [&](int32_t) { seeds.push_back(tool::SpriteSeed); });
  for (int32_t pass = 3; pass <= 6; ++pass) {
    EXPECT_NE(seeds[size_t(pass - 1)], seeds[size_t(pass - 2)]) << "pass " << pass;
  }
  EXPECT_EQ(seeds[6], seeds[7]);
  int32_t saves = 0;
  for (const Text& notice : stage_.Notices()) saves += notice == u"Saved NameYourSprite";
  EXPECT_EQ(saves, 1);
  EXPECT_TRUE(stage_.Exists("Presets/NameYourSprite.dat"));
  EXPECT_TRUE(stage_.Exists("Presets/NameYourSprite.png"));
}

TEST_F(FrameLoopTest, SettingsOpenerOpensOnPressStaysOpenAndClosesOnPressOutside) {
  Click(3, 5, 400, 9);      // open and hold
  Click(10, 10, 700, 300);  // press outside the menu
  Click(15, 15, 400, 9);    // open again
  Click(20, 21, 400, 9);    // press the opener while the menu is open
  std::vector<int32_t> states;
  Run(22, [&](int32_t) { states.push_back(tool::UiState); });
  EXPECT_EQ(states[2], tool::kUiSettingsMenu);
  EXPECT_EQ(states[7], tool::kUiSettingsMenu);  // released, still open
  EXPECT_EQ(states[9], tool::kUiIdle);          // closed by the press outside
  EXPECT_EQ(states[14], tool::kUiSettingsMenu);
  EXPECT_EQ(states[19], tool::kUiIdle);          // the press closes it in that pass...
  EXPECT_EQ(states[20], tool::kUiSettingsMenu);  // ...and, still held, opens it in the next
}

TEST_F(FrameLoopTest, PressOutsideAMenuClosesItWithoutUsingThePress) {
  Click(3, 3, 400, 9);   // settings menu
  Click(6, 8, 150, 50);  // on the "Base Hue" bar
  std::vector<int32_t> hues, states;
  Run(9, [&](int32_t) {
    hues.push_back(tool::ToolSettings[11]);
    states.push_back(tool::UiState);
  });
  EXPECT_EQ(states[5], tool::kUiIdle);
  EXPECT_EQ(hues[5], 0);  // the menu was still open when the slider was drawn
  EXPECT_EQ(hues[6], (150 - 82) * 255 / 148);
}

TEST_F(FrameLoopTest, PointerOnTheNameBoxClosesAMenuAndStartsEditing) {
  Click(3, 3, 9, 9);  // palette menu
  PointerFor(6, 200, 576);
  At(7, Event(InputEvent::kChar, 'Q'));
  At(7, Event(InputEvent::kChar, ' '));
  std::vector<int32_t> states;
  Run(9, [&](int32_t) { states.push_back(tool::UiState); });
  EXPECT_EQ(states[3], tool::kUiPaletteMenu);
  EXPECT_EQ(states[5], tool::kUiNameEditing);
  EXPECT_EQ(tool::SpriteName, u"NameYourSpriteQ");  // the blank is removed
}

TEST_F(FrameLoopTest, EnterOrAPressOutsideEndsNameEditing) {
  Click(3, 3, 200, 576);
  At(5, tool_stage::KeyDown(13));
  PointerFor(6, 400, 300);
  At(6, tool_stage::KeyUp(13));
  std::vector<int32_t> states, active;
  Run(7, [&](int32_t) {
    states.push_back(tool::UiState);
    active.push_back(tool::NameBoxActive);
  });
  EXPECT_EQ(states[2], tool::kUiNameEditing);
  EXPECT_EQ(active[2], 1);
  EXPECT_EQ(active[4], 0);
  EXPECT_EQ(states[5], tool::kUiIdle);
}

// "NAME.dat" may take 255 bytes: the box takes 251 letters and then stops;
// a face (two code units, four bytes) that no longer fits is refused whole.
TEST_F(FrameLoopTest, ANameTypedToTheLimitSavesItsPresetAndBuildsBothSheets) {
  PointerFor(2, 200, 576);
  auto type = [&](int32_t pass, char16_t unit) { At(pass, Event(InputEvent::kChar, unit)); };
  for (int32_t i = 0; i < 200; ++i) type(3, u'a');
  for (int32_t i = 0; i < 36; ++i) type(150, u'a');
  for (char16_t unit : Text(u"\U0001F600bc")) type(150, unit);
  Click(260, 260, 100, 575);  // Save
  Run(262);
  const Text name = u"NameYourSprite" + Text(236, u'a') + u"b";
  ASSERT_EQ(tool::SpriteName, name);
  const std::string utf8 = platform::ToUtf8(name);
  EXPECT_EQ(stage_.FileNames("Presets"), (std::vector<std::string>{utf8 + ".dat", utf8 + ".png"}));

  // Two builds within one second share a file name, so each is looked at alone.
  for (auto build : {tool::BuildBatchSpritesheet, tool::BuildColourVariantSpritesheet}) {
    std::filesystem::remove_all(stage_.Path("Spritesheets"));
    std::filesystem::create_directory(stage_.Path("Spritesheets"));
    build();
    const std::vector<std::string> sheets = stage_.FileNames("Spritesheets");
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].size(), 255u);
    EXPECT_EQ(sheets[0].substr(0, 232), utf8.substr(0, 230) + "_(") << sheets[0];
  }
}

// The name box's body, as the tool fills it while the box is not in use,
// with `text` drawn black at (x, 576) aligned by `h` in the name's font.
std::vector<uint32_t> NameBodyWith(const Text& text, int32_t x, int32_t h) {
  engine::ResetDrawState();
  tool::FillRect(131, 567, 198, 18, tool::kGrey);
  tool::SetColour(tool::kBlack);
  engine::SelectFont(1, 1);
  engine::DrawTextAligned(x, 576, text, h, 1);
  const platform::PixmapRef grabbed = fw_grab_pixmap(131, 567, 198, 18);
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < 18; ++y) {
    for (int32_t x = 0; x < 198; ++x) pixels.push_back(fw_read_pixel(grabbed, x, y) & 0xFFFFFFu);
  }
  return pixels;
}

TEST_F(FrameLoopTest, ANameWiderThanItsBoxShowsItsEndInsideTheBody) {
  const Text wide_name = Text(150, u'W') + u"End";
  std::vector<std::vector<uint32_t>> frames;
  Run(3, [&](int32_t pass) {
    frames.push_back(stage_.host().LastFrame());
    tool::SpriteName = pass == 1 ? Text() : wide_name;
  });
  const std::vector<uint32_t>&fitting = frames[0], &empty = frames[1], &wide = frames[2];
  for (int32_t y = 0; y < 600; ++y) {
    for (int32_t x = 0; x < 800; ++x) {
      if (x >= 131 && x < 329 && y >= 567 && y < 585) continue;
      ASSERT_EQ(At(wide, x, y), At(empty, x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(Area(fitting, 131, 567, 198, 18), NameBodyWith(u"NameYourSprite", 133, 0));

  // The end sits against the body's right edge.
  engine::SelectFont(1, 1);
  const int32_t end_width = fw_text_width(u"End");
  const std::vector<uint32_t> end_alone = NameBodyWith(u"End", 329, 2);
  for (int32_t y = 0; y < 18; ++y) {
    for (int32_t x = 198 - end_width; x < 198; ++x) {
      ASSERT_EQ(At(wide, 131 + x, 567 + y), end_alone[size_t(y * 198 + x)]) << x << "," << y;
    }
  }
}

TEST_F(FrameLoopTest, TileViewClosesOnAPressUnlessSaveUsedItFirst) {
  Click(3, 3, 370, 575);  // Tile
  Click(6, 6, 100, 575);  // Save acts first: the view stays
  Click(9, 9, 700, 300);  // an idle spot closes it
  std::vector<int32_t> states;
  Run(10, [&](int32_t) { states.push_back(tool::UiState); });
  EXPECT_EQ(states[2], tool::kUiTileView);
  EXPECT_EQ(states[5], tool::kUiTileView);
  EXPECT_EQ(states[8], tool::kUiIdle);
}

TEST_F(FrameLoopTest, FivePresetsScrollByWheelAndArrowsWithinTheirRange) {
  for (int32_t i = 1; i <= 5; ++i) {
    const std::string name = "Presets/p" + std::to_string(i);
    stage_.WritePng(name + ".png", 8, 2);
    stage_.Write(name + ".dat", std::string(12804, '\0'));
  }
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 5);
  At(2, Event(InputEvent::kWheel, -1));
  At(4, tool_stage::KeyDown(40));
  At(6, tool_stage::KeyUp(40));
  At(8, Event(InputEvent::kWheel, -30));
  At(10, Event(InputEvent::kWheel, 50));
  std::vector<int32_t> offsets;
  Run(12, [&](int32_t) { offsets.push_back(LastRowTop() - 342); });
  // Each pass draws with the offset the pass before left.
  EXPECT_EQ(offsets[1], 0);
  EXPECT_EQ(offsets[2], -24);
  EXPECT_EQ(offsets[4], -24 - 16);
  EXPECT_EQ(offsets[5], -24 - 32);
  EXPECT_EQ(offsets[6], -24 - 32);
  EXPECT_EQ(offsets[8], -320);
  EXPECT_EQ(offsets[10], 0);
}

// The options panel over the column, the sliders and the top bar, and the
// top bar over a scrolled row: a press there acts only on what shows.
TEST_F(FrameLoopTest, PressesOnWhatCoversTheToolLeaveTheToolBeneathAlone) {
  for (int32_t i = 1; i <= 5; ++i) stage_.AddPreset("p" + std::to_string(i));
  tool::LoadPresetList();
  At(2, Event(InputEvent::kWheel, -1));
  Click(4, 4, 9, 9);  // the palette button, over the first row's hidden top
  Click(6, 6, 700, 500);
  At(8, tool_stage::KeyDown(9));  // Tab: the panel rests open from pass 18 on
  At(9, tool_stage::KeyUp(9));
  Click(20, 20, 30, 140);  // frame skipping, over the second row
  Click(23, 23, 540, 56);  // the audio driver, over the base colour sliders
  // Master Volume dragged over the sliders, then off the panel onto a row.
  PointerFor(26, 560, 95);
  At(26, Event(InputEvent::kMouseDown, 1, 560, 95));
  PointerFor(28, 39, 380);
  At(30, tool_stage::MouseUp(1));
  Click(32, 32, 12, 295);  // the panel's lowest rows, over the fourth row
  Click(34, 34, 39, 380);  // below the panel the row takes the press
  Run(35, [&](int32_t pass) {
    EXPECT_TRUE(pass != 4 || tool::UiState == tool::kUiPaletteMenu);
    ASSERT_TRUE(pass >= 34 || tool::SpriteName == u"NameYourSprite") << pass;
    ASSERT_TRUE(std::all_of(std::begin(tool::ToolSettings), std::end(tool::ToolSettings),
                            [](int32_t value) { return value == 0; }));
  });
  EXPECT_EQ(engine::EngineSettings[11], 560 - 520 + 2);
  EXPECT_EQ(tool::SpriteName, tool::PresetList.Links().back()->name);
}

// A drag begun on a slider below the open panel stays the slider's while it
// crosses the panel, over Master Volume, and comes back; a right press begun
// on the panel stays the panel's over the slider's right part.
TEST_F(FrameLoopTest, ADragFromTheToolAcrossTheOpenPanelKeepsGoing) {
  tool::ToolSettings[200] = 1;  // layer 1 on, and with it its sliders
  At(1, tool_stage::KeyDown(9));
  Click(14, 19, 100, 328);  // "Hue Randomness", below the panel's edge at 320
  PointerFor(16, 560, 95);
  PointerFor(18, 200, 328);
  PointerFor(21, 200, 300);
  At(21, Event(InputEvent::kMouseDown, 2, 200, 300));
  PointerFor(23, 210, 328);
  At(25, tool_stage::MouseUp(2));
  Run(25);
  EXPECT_EQ(tool::ToolSettings[214], (200 - 82) * 255 / 148);
  EXPECT_EQ(engine::EngineSettings[11], 50);
}

// Rows out of sight cost no draws: with more presets than the budget, it
// still reaches the rows that show, the preview and the palette swatch.
TEST_F(FrameLoopTest, PresetsBeyondTheDrawBudgetLeaveTheScreenAsAnAmpleBudgetDrawsIt) {
  for (int32_t i = 0; i < 60; ++i) stage_.AddPreset("p" + std::to_string(i));
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 60);
  std::vector<uint32_t> ample;
  Run(2, [&](int32_t pass) {
    if (pass != 1) return;
    ample = stage_.host().LastFrame();
    engine::DrawLimits[1] = 40;
  });
  const std::vector<uint32_t>& tight = stage_.host().LastFrame();
  EXPECT_EQ(Area(tight, 670, 470, 130, 130), Area(ample, 670, 470, 130, 130));
  EXPECT_EQ(Area(tight, 0, 0, 18, 18), Area(ample, 0, 0, 18, 18));
  EXPECT_EQ(Area(tight, 5, 18, 72, 570), Area(ample, 5, 18, 72, 570));
}

TEST_F(FrameLoopTest, ATallNarrowSpriteIsPreviewedAtScaleTwoAndTilesTheSheet) {
  tool::ToolSettings[200] = 1;
  tool::ToolSettings[203] = 100;
  tool::ToolSettings[211] = 40;
  tool::ToolSettings[13] = 128;
  tool::ToolSettings[12] = 128;
  Click(3, 3, 109, 9);   // size menu
  Click(5, 5, 113, 83);  // 16 x 64
  Click(8, 8, 370, 575);
  Run(9);
  EXPECT_EQ(tool::SpriteWidth, 16);
  EXPECT_EQ(tool::SpriteHeight, 64);
  EXPECT_EQ(tool::PreviewScale, 2);
  EXPECT_EQ(tool::UiState, tool::kUiTileView);
  auto sprite = fw_lock_image(tool::SpriteImage, 0);
  auto sheet = fw_lock_image(tool::SheetImage, 0);
  int32_t painted = 0;
  for (int32_t y = 0; y < 512; y += 3) {
    for (int32_t x = 0; x < 512; x += 5) {
      const uint32_t expected = fw_read_pixel(sprite, x % 16, y % 64);
      ASSERT_EQ(fw_read_pixel(sheet, x, y) & 0xFFFFFFu, expected & 0xFFFFFFu) << x << "," << y;
      painted += (expected & 0xFFFFFFu) != 0;
    }
  }
  EXPECT_GT(painted, 0);
}

TEST_F(FrameLoopTest, PresetsWhoseIconsCannotBeScaledShowTheirNamesAndStillLoad) {
  stage_.Write("Presets/Broken.png", "not a picture");
  std::string values(12804, '\0');
  values[4 * 3000] = 16;  // width
  values[4 * 2999] = 8;   // height
  stage_.Write("Presets/Broken.dat", values);
  stage_.WritePng("Presets/Huge.png", 100, 100);  // too big to enlarge: scale 0
  stage_.Write("Presets/Huge.dat", values);
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 2);
  if (tool::PresetList.Links().front()->name != u"Broken") {
    tool::PresetList.Sort(1, [](const tool::data& a, const tool::data& b) {
      return rt_string_compare(a.name, b.name);
    });
  }
  ASSERT_EQ(tool::PresetList.Links().front()->icon, 0);
  Click(3, 3, 39, 54);
  Run(5);
  EXPECT_EQ(tool::SpriteName, u"Broken");
  EXPECT_EQ(tool::SpriteWidth, 16);
}

}  // namespace
