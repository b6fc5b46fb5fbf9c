#include <gtest/gtest.h>

#include <functional>

#include "engine/engine.h"
#include "engine/engine_stage.h"
#include "scores/scores.h"

namespace {

using scores::Scores;
using ScoreRef = std::shared_ptr<Scores>;

constexpr int32_t kMode = 2, kLevel = 3, kFlags = 4;

ScoreRef Record(int64_t score, const Text& name = u"p", int32_t mode = kMode,
                int32_t level = kLevel, int32_t flags = kFlags) {
  auto record = std::make_shared<Scores>();
  record->Score = score;
  record->Name = name;
  record->GameMode = mode;
  record->Level = level;
  record->GameFlags = flags;
  return record;
}

std::vector<int64_t> TableScores() {
  std::vector<int64_t> table;
  for (int32_t slot = 1; slot <= 25 && scores::ScoreSlots[slot]; ++slot)
    table.push_back(scores::ScoreSlots[slot]->Score);
  return table;
}

int32_t RankList(int32_t draw = 0) {
  return scores::DrawScoreListPanel(0, 300, kMode, kLevel, kFlags, draw);
}

class ScoreRanking : public FreshStartTest {};

TEST_F(ScoreRanking, KeepsTheTwentyFiveBestAndTurnsAwayALaterEqualToTheLast) {
  for (int64_t score = 1; score <= 30; ++score) scores::ScoreList.Append(Record(score));
  auto late_six = Record(6);
  scores::ScoreList.Append(late_six);
  EXPECT_EQ(RankList(), 30);
  std::vector<int64_t> expected;
  for (int64_t score = 30; score >= 6; --score) expected.push_back(score);
  EXPECT_EQ(TableScores(), expected);
  for (int32_t slot = 1; slot <= 25; ++slot) EXPECT_NE(scores::ScoreSlots[slot], late_six);
}

TEST_F(ScoreRanking, EqualScoresKeepTheirListOrder) {
  auto first = Record(5, u"first");
  auto second = Record(5, u"second");
  for (const auto& record : {first, Record(1), second, Record(7)}) scores::ScoreList.Append(record);
  EXPECT_EQ(RankList(), 7);
  EXPECT_EQ(scores::ScoreSlots[2], first);
  EXPECT_EQ(scores::ScoreSlots[3], second);
}

TEST_F(ScoreRanking, OnlyTheExactModeLevelAndFlagsTakePart) {
  for (const auto& record : {Record(50, u"m", kMode + 1), Record(60, u"l", kMode, kLevel - 1),
                             Record(70, u"f", kMode, kLevel, 0), Record(9)})
    scores::ScoreList.Append(record);
  scores::ScoreList.Append(nullptr);
  EXPECT_EQ(RankList(), 9);
  EXPECT_EQ(TableScores(), std::vector<int64_t>{9});
  EXPECT_EQ(scores::DrawScoreListPanel(0, 300, 7, 7, 7, 0), 0);
  EXPECT_TRUE(TableScores().empty());
}

TEST_F(ScoreRanking, TheResultIsTheLow32BitsOfTheBestScore) {
  scores::ScoreList.Append(Record((int64_t(1) << 32) + 5));
  EXPECT_EQ(RankList(), 5);
}

class ScorePanel : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.LoadFonts();
    stage_.MakeIcons();
    engine::BadgeImage = engine_stage::MakeIconStrip();
    engine::BadgeCount = 16;
  }

  static uint32_t Pixel(int32_t x, int32_t y) {
    return fw_read_pixel(fw_grab_pixmap(x, y, 1, 1), 0, 0) & 0xFFFFFFu;
  }

  // The region as the panel drew it, and as `reference` draws it on a
  // cleared screen.
  static void ExpectRegionDrawnAs(int32_t x, int32_t y, int32_t w, int32_t h,
                                  const std::function<void()>& reference) {
    const auto drawn = fw_grab_pixmap(x, y, w, h);
    fw_cls();
    engine::ResetDrawState();
    reference();
    const auto expected = fw_grab_pixmap(x, y, w, h);
    EXPECT_EQ(drawn->pixels, expected->pixels);
  }

  engine_stage::EngineStage stage_;
};

TEST_F(ScorePanel, DrawingPrunesTheOldestPastFiftyUnlessAmongTheBest) {
  for (int64_t k = 1; k <= 50; ++k) scores::ScoreList.Append(Record(k));
  auto kept_a = Record(1000);
  auto kept_b = Record(999);
  scores::ScoreList.Append(kept_a);
  scores::ScoreList.Append(kept_b);
  for (int k = 0; k < 8; ++k) scores::ScoreList.Append(Record(0));
  auto other_mode = Record(0, u"o", kMode + 1);
  scores::ScoreList.Append(other_mode);

  RankList(0);
  EXPECT_EQ(scores::ScoreList.Count(), 61);
  EXPECT_EQ(RankList(1), 1000);
  EXPECT_EQ(scores::ScoreList.Count(), 53);
  const auto& links = scores::ScoreList.Links();
  EXPECT_EQ(*std::next(links.begin(), 50), kept_a);
  EXPECT_EQ(*std::next(links.begin(), 51), kept_b);
  EXPECT_EQ(links.back(), other_mode);
}

TEST_F(ScorePanel, TheSecondPanelReadsAndPrunesOnlyTheSecondList) {
  for (int64_t k = 1; k <= 60; ++k) scores::SecondScoreList.Append(Record(0));
  scores::ScoreList.Append(Record(77));
  EXPECT_EQ(scores::DrawSecondScoreListPanel(0, 300, kMode, kLevel, kFlags, 1), 0);
  EXPECT_EQ(scores::SecondScoreList.Count(), 50);
  EXPECT_EQ(scores::ScoreList.Count(), 1);
}

TEST_F(ScorePanel, PointsRiseWithTheScoreAndABestOfZeroKeepsThemOnTheBottomLine) {
  const uint32_t kPointColour = 0xFFFF50;  // (255 - 0, 255, 80) for h = 0
  scores::ScoreList.Append(Record(0));
  RankList(1);
  EXPECT_EQ(Pixel(776, 585), kPointColour);

  fw_cls();
  scores::ScoreList.Clear();
  scores::ScoreList.Append(Record(10));  // h = 150: the point 150 pixels up
  RankList(1);
  EXPECT_NE(Pixel(776, 585), kPointColour);
  EXPECT_EQ(Pixel(776, 435), 0x69FF50u);  // (255 - 150, 255, 80)
}

TEST_F(ScorePanel, RankingRowsShowTwentyFourCharactersAndTwelveDigits) {
  const Text name = u"abcdefghijklmnopqrstuvwxyz0123";
  scores::ScoreList.Append(Record(42, name));
  const int32_t x = 0, w = 400, top = 600 - 589;
  scores::DrawScoreListPanel(x, w, kMode, kLevel, kFlags, 1);
  ExpectRegionDrawnAs(x + 9, top, w, 17, [&] {
    engine::SetColourAlpha(0, 0, 0, 0.6f);
    fw_draw_rect(float(x + 7), 600.0f - 585.0f, float(w + 2), 575.0f);
    engine::SetColourAlpha(255, 255, 255, 1.0f);
    fw_set_image_font(engine::FontTable[3]);
    engine::DrawTextAligned(x + 9, top, name.substr(0, 24), 0, 0);
    engine::DrawTextAligned(x + w + 1, top, u"000000000042", 2, 0);
  });
}

TEST_F(ScorePanel, TheDetailBoxShowsTheWholeNameAndThePlainScore) {
  fw_set_virtual_resolution(800, 900);  // room above the rows for the box
  engine::VirtualHeight = 900;
  const Text name = u"abcdefghijklmnopqrstuvwxyz0123";
  scores::ScoreList.Append(Record(42, name));
  scores::ScorePanelSelection = 1001;
  const int32_t x = 0, w = 700, box_top = 900 - 729;
  scores::DrawScoreListPanel(x, w, kMode, kLevel, kFlags, 1);
  EXPECT_EQ(scores::ScorePanelHighlight, scores::ScoreList.Links().front());
  ExpectRegionDrawnAs(x + 3, box_top, w, 45, [&] {
    engine::SetColourAlpha(255, 255, 255, 0.6f);
    fw_draw_rect(float(x + 3), float(box_top), float(w), 140.0f);
    fw_set_image_font(engine::FontTable[1]);
    engine::SetColourAlpha(80, 80, 0);
    engine::DrawTextAligned(x + 9, 900 - 725, name, 0, 0);
    engine::SetColourAlpha(0, 0, 80);
    engine::DrawTextAligned(x + w + 1, 900 - 704, u"42", 2, 0);
  });
}

TEST_F(ScorePanel, TheDetailBoxShowsEarnedBadgesOnlyInTheirPlaces) {
  fw_set_virtual_resolution(800, 900);
  engine::VirtualHeight = 900;
  auto record = Record(1);
  record->Badges = 0b101;  // badges 1 and 3
  scores::ScoreList.Append(record);
  scores::ScorePanelSelection = 1;
  const int32_t x = 0, badges_top = 900 - 639;
  scores::DrawScoreListPanel(x, 700, kMode, kLevel, kFlags, 1);
  EXPECT_EQ(Pixel(x + 12, badges_top + 1), 0xFFFFFFu);
  EXPECT_EQ(Pixel(x + 32, badges_top + 1), 0x999999u);  // the box: white at 0.6
  EXPECT_EQ(Pixel(x + 52, badges_top + 1), 0xFFFFFFu);
  EXPECT_EQ(Pixel(x + 18, badges_top + 1), 0x999999u);  // a badge is 16 x 0.28 wide
}

TEST_F(ScorePanel, TheMouseHighlightsAndButtonOneSelectsColumnsAndRows) {
  auto newest = Record(5, u"newest");
  auto older = Record(9, u"older");
  scores::ScoreList.Append(newest);
  scores::ScoreList.Append(older);
  stage_.host().Queue(engine_stage::MouseDown(1));
  engine::MouseX = 776 - 18;  // the second column
  engine::MouseY = 500;
  RankList(1);
  EXPECT_EQ(scores::ScorePanelSelection, 2);
  EXPECT_EQ(scores::ScorePanelHighlight, older);

  engine::MouseX = 20;  // ranking row 2
  engine::MouseY = 600 - 589 + 17 + 5;
  RankList(1);
  EXPECT_EQ(scores::ScorePanelSelection, 1002);
  EXPECT_EQ(scores::ScorePanelHighlight, newest);

  stage_.host().Queue(engine_stage::MouseUp(1));
  engine::MouseX = engine::MouseY = 0;
  RankList(1);
  EXPECT_EQ(scores::ScorePanelHighlight, newest);  // the selection stays shown
}

TEST_F(ScorePanel, RestingAtEitherEndOfTheGraphScrollsWithinItsRange) {
  engine::MouseY = 500;
  engine::MouseX = 800 - 300 - 32 + 10;
  for (int frame = 0; frame < 200; ++frame) RankList(1);
  EXPECT_EQ(scores::ScoreGraphScroll, 1000);
  engine::MouseX = 800 - 32 + 10;
  RankList(1);
  EXPECT_EQ(scores::ScoreGraphScroll, 992);
  for (int frame = 0; frame < 200; ++frame) RankList(1);
  EXPECT_EQ(scores::ScoreGraphScroll, 0);
}

}  // namespace
