#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine_stage.h"

namespace {

using engine_stage::EngineStage;
namespace fs = std::filesystem;

TEST(SanitiseFileName, RemovesEveryUnsafeCharacterAndKeepsBlanks) {
  EXPECT_EQ(engine::SanitiseFileName(u"#',`.\\/:|*?\""), u"");
  EXPECT_EQ(engine::SanitiseFileName(u"a.b c:d"), u"ab cd");
  EXPECT_EQ(engine::SanitiseFileName(u"Quill Retro (09 Nov 2010_14:05:09)"),
            u"Quill Retro (09 Nov 2010_140509)");
  EXPECT_EQ(engine::SanitiseFileName(u""), u"");
}

// The name a screenshot taken at this date and time gets.
Text ExpectedName(const Text& date, const Text& time) {
  return u"Quill Retro Sprite Tool (Screenshot_" + date + u"_" + fw_replace(time, u":", u"") +
         u").png";
}

// Runs `shoot` until it starts and ends within one clock second (names have
// a resolution of one second) and gives back the name of that second.
template <class Shoot>
Text WithinOneSecond(Shoot shoot) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    Text date = fw_current_date();
    Text time = fw_current_time();
    shoot(ExpectedName(date, time));
    if (fw_current_time() == time && fw_current_date() == date) return ExpectedName(date, time);
  }
  ADD_FAILURE() << "the clock second never held still";
  return Text();
}

std::vector<fs::path> Pngs(const fs::path& dir) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".png") found.push_back(entry.path());
  }
  return found;
}

// Draws a picture and gives back a copy of it.
platform::PixmapRef DrawTestPicture() {
  fw_set_cls_color(10, 20, 30);
  fw_cls();
  engine::ResetDrawState();
  fw_set_color(200, 50, 50);
  fw_draw_rect(100, 100, 300, 200);
  fw_set_color(40, 220, 90);
  fw_draw_rect(350, 400, 420, 180);
  return fw_grab_pixmap(0, 0, 800, 600);
}

void ExpectSameColours(const platform::PixmapRef& a, const platform::PixmapRef& b) {
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->width, b->width);
  ASSERT_EQ(a->height, b->height);
  size_t differing = 0;
  for (size_t i = 0; i < a->pixels.size(); ++i) {
    if ((a->pixels[i] & 0xFFFFFFu) != (b->pixels[i] & 0xFFFFFFu)) ++differing;
  }
  EXPECT_EQ(differing, 0u);
}

Text LastNotice() {
  Text text;
  engine::NoticeList.ForEach([&](const auto& notice) { text = notice->txt; });
  return text;
}

std::vector<Text> ScreenshotLogLines(const std::vector<Text>& log) {
  std::vector<Text> lines;
  for (const Text& line : log) {
    if (fw_instr(line, u"Screenshot") != 0) lines.push_back(line);
  }
  return lines;
}

TEST(TakeScreenshot, SavesTheBackBufferUnderItsDatedNameAndReturnsToTheWeekFolder) {
  EngineStage stage;
  stage.LoadFonts();
  const fs::path week = fs::current_path();
  platform::PixmapRef drawn;
  Text name = WithinOneSecond([&](const Text&) {
    for (const auto& png : Pngs(stage.files_dir())) fs::remove(png);
    drawn = DrawTestPicture();
    engine::TakeScreenshot();
  });

  EXPECT_EQ(fs::current_path(), week);
  ExpectSameColours(
      fw_load_pixmap(platform::FromUtf8((stage.files_dir() / platform::ToUtf8(name)).string())),
      drawn);
  EXPECT_EQ(LastNotice(), u"Saved Screenshot");
  std::vector<Text> log = stage.LogLines();
  ASSERT_GE(log.size(), 6u);
  std::vector<Text> tail(log.end() - 6, log.end());
  EXPECT_EQ(tail,
            (std::vector<Text>{u"", u"\tScreenshot", u"\tGrabbing Screenshot",
                               u"\tSaving Screenshot : " + name, u"\tSaved Screenshot 1", u""}));
}

TEST(TakeScreenshot, TwoInOneSecondShareOneFile) {
  EngineStage stage;
  Text name = WithinOneSecond([&](const Text&) {
    for (const auto& png : Pngs(stage.files_dir())) fs::remove(png);
    engine::TakeScreenshot();
    engine::TakeScreenshot();
  });
  auto pngs = Pngs(stage.files_dir());
  ASSERT_EQ(pngs.size(), 1u);
  EXPECT_EQ(platform::FromUtf8(pngs[0].filename().string()), name);
}

TEST(TakeScreenshot, AFailedSaveLogsZeroAndSaysItFailed) {
  EngineStage stage;
  // A folder in the way of the file makes the save fail.
  WithinOneSecond([&](const Text& name) {
    // An attempt that the next second overtook saved its screenshot under
    // the name this one blocks.
    const fs::path in_the_way = stage.files_dir() / platform::ToUtf8(name);
    fs::remove_all(in_the_way);
    fs::create_directory(in_the_way);
    engine::NoticeList.Clear();
    engine::TakeScreenshot();
  });
  EXPECT_EQ(LastNotice(), u"Screenshot failed");
  std::vector<Text> lines = ScreenshotLogLines(stage.LogLines());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), u"\tSaved Screenshot 0");
}

TEST(TakeScreenshot, FromTheHubHoldsNeitherPanelOverlayPointerNorNotices) {
  EngineStage stage;
  stage.LoadFonts();
  stage.MakeIcons();
  engine::OptionsOpen = 1;
  engine::OptionsPanelY = 20;
  engine::DebugOverlayOn = 1;
  engine::AddNotice(u"A notice on screen", 0);
  platform::InputEvent move{};
  move.kind = platform::InputEvent::kMouseMove;
  move.x = 400;
  move.y = 450;
  stage.host().Queue(move);
  engine::EndFrame(60, 0, 1);  // puts the panel, the overlay and the pointer on screen

  platform::PixmapRef drawn;
  Text name = WithinOneSecond([&](const Text&) {
    for (const auto& png : Pngs(stage.files_dir())) fs::remove(png);
    drawn = DrawTestPicture();
    stage.host().Queue(engine_stage::KeyDown(122));
    stage.host().Queue(engine_stage::KeyUp(122));
    engine::EndFrame(60, 0, 1);
  });

  ExpectSameColours(
      fw_load_pixmap(platform::FromUtf8((stage.files_dir() / platform::ToUtf8(name)).string())),
      drawn);
  // The frame shown has the overlays the screenshot leaves out.
  const std::vector<uint32_t>& shown = stage.host().LastFrame();
  ASSERT_EQ(shown.size(), drawn->pixels.size());
  auto differs_at = [&](int x, int y) {
    size_t i = size_t(y) * 800 + size_t(x);
    return (shown[i] & 0xFFFFFFu) != (drawn->pixels[i] & 0xFFFFFFu);
  };
  EXPECT_TRUE(differs_at(700, 5));    // the panel's shade
  EXPECT_TRUE(differs_at(404, 454));  // the pointer
  EXPECT_TRUE(differs_at(2, 590));    // the notice bar
}

}  // namespace
