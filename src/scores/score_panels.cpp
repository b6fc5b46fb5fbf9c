// The score list panels: a ranking of the 25 best scores of one game mode,
// level and flag combination, a graph of the scores in list order with
// scrolling, and a detail box for the record under the mouse or selected.
#include <optional>

#include "engine/engine.h"
#include "scores.h"

namespace scores {

int32_t ScoreGraphScroll = 0;
int32_t ScorePanelSelection = 0;
std::shared_ptr<Scores> ScorePanelHighlight;

namespace {

using ScoreRef = std::shared_ptr<Scores>;

constexpr int32_t kTableSlots = 25;
constexpr int32_t kKeptInListOrder = 50;
constexpr int32_t kGraphHeight = 150;
constexpr int32_t kColumnSpacing = 18;
constexpr int32_t kLongestScroll = 1000;
constexpr int32_t kScrollStep = 8;
constexpr int32_t kRowHeight = 17;
constexpr int32_t kRowSelectionBase = 1000;
constexpr size_t kRowNameLength = 24;
constexpr int32_t kPointIconFrame = 7;
constexpr int32_t kSpriteBudgetSlot = 1;
constexpr float kBadgeScale = 0.28f;
constexpr int32_t kBadgeSpacing = 20;
const Text kTwelveZeros = u"000000000000";

struct PanelFilter {
  int32_t mode, level, flags;
  bool Matches(const ScoreRef& record) const {
    return record && record->GameMode == mode && record->Level == level &&
           record->GameFlags == flags;
  }
};

int32_t Low32(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t Height() { return engine::VirtualHeight; }

// The slot a record takes in the ranking table, 0 when it stays out: the
// first slot holding a lower score, else the first empty slot.
int32_t SlotFor(const Scores& record) {
  int32_t beaten = 0;
  int32_t free = 0;
  for (int32_t slot = kTableSlots; slot >= 1; --slot) {
    if (ScoreSlots[slot] == nullptr)
      free = slot;
    else if (ScoreSlots[slot]->Score < record.Score)
      beaten = slot;
  }
  return beaten != 0 ? beaten : free;
}

void EnterTable(const ScoreRef& record) {
  const int32_t slot = SlotFor(*record);
  if (slot == 0) return;
  for (int32_t k = kTableSlots; k > slot; --k) ScoreSlots[k] = ScoreSlots[k - 1];
  ScoreSlots[slot] = record;
}

// Fills ScoreSlots 1 to 25 and gives the best score as a divisor (never 0).
int32_t BuildRankingTable(platform::List<Scores>& list, const PanelFilter& filter) {
  for (int32_t slot = 1; slot <= kTableSlots; ++slot) ScoreSlots[slot] = nullptr;
  int32_t best = 0;
  list.ForEach([&](const ScoreRef& record) {
    if (!filter.Matches(record)) return;
    if (record->Score > best) best = Low32(record->Score);
    EnterTable(record);
  });
  return best == 0 ? 1 : best;
}

bool InRankingTable(const ScoreRef& record) {
  for (int32_t slot = 1; slot <= kTableSlots; ++slot)
    if (ScoreSlots[slot] == record) return true;
  return false;
}

// score x 150 / best in wrapping 64-bit arithmetic, truncated toward zero.
int64_t PointHeight(int64_t score, int32_t best) {
  const auto scaled = static_cast<int64_t>(static_cast<uint64_t>(score) * kGraphHeight);
  if (best == -1) return static_cast<int64_t>(0 - static_cast<uint64_t>(scaled));
  return scaled / best;
}

void DrawBackground(int32_t x, int32_t w) {
  engine::SetScaleXY(1.0f);
  engine::ResetDrawState();
  engine::SetColourAlpha(0, 0, 0, 0.6f);
  fw_draw_rect(float(wrap_add(x, 7)), float(Height() - 585), float(wrap_add(w, 2)), 575.0f);
  engine::SetColourAlpha(0, 0, 80, 1.0f);
  const float baseline = float(Height() - 160);
  fw_draw_line(float(wrap_add(x, 7)), baseline, float(engine::VirtualWidth - 8), baseline);
}

// The record under the mouse is highlighted; holding button 1 selects it.
void PointAt(const ScoreRef& record, int32_t x, int32_t y, int32_t w, int32_t h,
             int32_t selection) {
  if (engine::MouseInRect(x, y, w, h) == 0) return;
  ScorePanelHighlight = record;
  if (fw_mouse_down(1) != 0) ScorePanelSelection = selection;
}

struct GraphPoint {
  int32_t x, y;
};

// One column of the graph: the point, the line to the previous point, the
// column's divider and its highlight. Gives the point.
GraphPoint DrawGraphColumn(const ScoreRef& record, int32_t k, int32_t cx, int32_t best,
                           const std::optional<GraphPoint>& previous) {
  const int64_t h = PointHeight(record->Score, best);
  const int32_t top = Height() - 160;
  // The low 32 bits of H - 10 - h.
  const GraphPoint point{cx, wrap_sub(Height() - 10, Low32(h))};
  engine::SetColourAlpha(float(255.0 - double(h)), 255, 80, 1.0f);
  engine::DrawSpriteCounted(engine::IconStripSmooth, wrap_sub(cx, 8), wrap_sub(point.y, 8),
                            kPointIconFrame, kSpriteBudgetSlot);
  engine::SetColourAlpha(255, float(80.0 + double(h)), 80);
  if (previous) fw_draw_line(float(cx), float(point.y), float(previous->x), float(previous->y));
  const int32_t left = wrap_sub(cx, 9);
  engine::SetColourAlpha(0, 0, 0, 0.3f);
  fw_draw_line(float(left), float(top), float(left), float(Height() - 11));
  PointAt(record, left, top, 19, kGraphHeight, k);
  if (ScorePanelHighlight == record) {
    engine::SetColourAlpha(255, 255, 255, 0.3f);
    fw_draw_rect(float(left), float(top), 19.0f, float(kGraphHeight));
  }
  return point;
}

// Draws the matching records from right to left and prunes those past the
// first 50 that are not among the 25 best.
void DrawGraph(platform::List<Scores>& list, const PanelFilter& filter, int32_t x, int32_t best) {
  ScorePanelHighlight = nullptr;
  int32_t k = 0;
  int32_t cx = engine::VirtualWidth - 24 + ScoreGraphScroll;
  std::optional<GraphPoint> previous;
  list.ForEach([&](const ScoreRef& record) {
    if (!filter.Matches(record)) return;
    k = wrap_add(k, 1);
    if (k == ScorePanelSelection && ScorePanelHighlight == nullptr) ScorePanelHighlight = record;
    const bool prune = k > kKeptInListOrder && !InRankingTable(record);
    if (int64_t(cx) > int64_t(x) + 1) {
      previous = DrawGraphColumn(record, k, cx, best, previous);
      cx = wrap_sub(cx, kColumnSpacing);
    }
    if (prune) list.Remove(record);
  });
}

// Resting the mouse at the graph's left zone shows older scores, at its
// right zone newer ones, 8 pixels per frame.
void ScrollGraph(int32_t w) {
  const int32_t top = Height() - 160;
  if (engine::MouseInRect(wrap_sub(engine::VirtualWidth, wrap_add(w, 32)), top, 64, kGraphHeight) !=
          0 &&
      ScoreGraphScroll < kLongestScroll)
    ScoreGraphScroll += kScrollStep;
  if (engine::MouseInRect(engine::VirtualWidth - 32, top, 62, kGraphHeight) != 0 &&
      ScoreGraphScroll > 0)
    ScoreGraphScroll -= kScrollStep;
}

Text TwelveDigits(int64_t score) { return fw_right(kTwelveZeros + rt_string_from_long(score), 12); }

void DrawRankingRows(int32_t x, int32_t w) {
  for (int32_t k = 1; k <= kTableSlots; ++k) {
    const ScoreRef& record = ScoreSlots[k];
    if (record == nullptr) continue;
    const int32_t top = Height() - 589 + kRowHeight * (k - 1);
    if (k == wrap_sub(ScorePanelSelection, kRowSelectionBase) && ScorePanelHighlight == nullptr)
      ScorePanelHighlight = record;
    engine::SetColourAlpha(255, 255, 255, 1.0f);
    PointAt(record, wrap_add(x, 9), top, w, 18, kRowSelectionBase + k);
    engine::DrawTextAligned(wrap_add(x, 9), top, record->Name.substr(0, kRowNameLength), 0, 0);
    engine::DrawTextAligned(wrap_add(x, wrap_add(w, 1)), top, TwelveDigits(record->Score), 2, 0);
    if (ScorePanelHighlight == record) {
      engine::SetColourAlpha(255, 255, 255, 0.3f);
      fw_draw_rect(float(wrap_add(x, 9)), float(top), float(w), float(kRowHeight));
    }
  }
}

void DrawBadges(int32_t x, int32_t badges) {
  engine::SetScaleXY(kBadgeScale);
  engine::SetColourAlpha(255, 255, 255, 1.0f);
  for (int32_t j = 1; j <= engine::BadgeCount; ++j) {
    if (engine::BitIsSet(badges, j) != 0)
      engine::DrawSpriteCounted(engine::BadgeImage, wrap_add(x, 11 + kBadgeSpacing * (j - 1)),
                                Height() - 639, j - 1, kSpriteBudgetSlot);
  }
  engine::SetScaleXY(1.0f);
}

void DrawDetailBox(int32_t x, int32_t w, int32_t mode) {
  const ScoreRef record = ScorePanelHighlight;
  if (record == nullptr) return;
  if (mode < 0)
    engine::SetColourAlpha(125, 180, 125, 1.0f);
  else
    engine::SetColourAlpha(255, 255, 255, 0.6f);
  fw_draw_rect(float(wrap_add(x, 3)), float(Height() - 729), float(w), 140.0f);
  fw_set_image_font(engine::FontTable[1]);
  engine::SetColourAlpha(80, 80, 0);
  engine::DrawTextAligned(wrap_add(x, 9), Height() - 725, record->Name, 0, 0);
  engine::SetColourAlpha(0, 0, 80);
  engine::DrawTextAligned(wrap_add(x, wrap_add(w, 1)), Height() - 704,
                          rt_string_from_long(record->Score), 2, 0);
  fw_set_image_font(engine::FontTable[4]);
  engine::SetColourAlpha(0, 80, 0);
  if (record->Best[30] == 1)
    engine::DrawTextAligned(wrap_add(x, 9), Height() - 679, u"Complete!", 0, 1);
  engine::SetColourAlpha(0, 0, 0);
  fw_set_image_font(engine::FontTable[3]);
  const Text when =
      engine::FormatDate(record->Timestamp) + u", " + engine::FormatTimeOfDay(record->Timestamp);
  engine::DrawTextAligned(wrap_add(x, 9), Height() - 593, when, 0, 2);
  DrawBadges(x, record->Badges);
}

// Both panels: the same ranking, graph, rows and detail box over one list.
int32_t DrawPanel(platform::List<Scores>& list, int32_t x, int32_t w, int32_t mode, int32_t level,
                  int32_t flags, int32_t draw) {
  const PanelFilter filter{mode, level, flags};
  const int32_t best = BuildRankingTable(list, filter);
  if (draw != 0) {
    DrawBackground(x, w);
    DrawGraph(list, filter, x, best);
    ScrollGraph(w);
  }
  fw_set_image_font(engine::FontTable[3]);
  const int32_t result = ScoreSlots[1] != nullptr ? Low32(ScoreSlots[1]->Score) : 0;
  if (draw != 0) {
    DrawRankingRows(x, w);
    DrawDetailBox(x, w, mode);
  }
  return result;
}

}  // namespace

int32_t DrawScoreListPanel(int32_t x, int32_t w, int32_t mode, int32_t level, int32_t flags,
                           int32_t draw) {
  return DrawPanel(ScoreList, x, w, mode, level, flags, draw);
}

int32_t DrawSecondScoreListPanel(int32_t x, int32_t w, int32_t mode, int32_t level, int32_t flags,
                                 int32_t draw) {
  return DrawPanel(SecondScoreList, x, w, mode, level, flags, draw);
}

}  // namespace scores
