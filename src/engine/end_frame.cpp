// The end-of-frame hub: the engine's overlays, global keys, pacing, flip and
// frame rate, plus the notice lines and floating score numbers it draws.
#include "engine.h"
#include "sequencer/sequencer.h"

namespace engine {

int32_t FrameSkipPhase = 0;
int32_t OptionsOpen = 0;
int32_t DebugOverlayOn = 1;
int32_t LastFrameTime = 0;
int32_t FramesPerSecond = 0;
int32_t LastCollection = 0;
int32_t FrameRateTarget = 60;
int32_t MouseX = 0, MouseY = 0, PrevMouseX = 0, PrevMouseY = 0;
int32_t MouseHit1 = 0, MouseHit2 = 0;
float CameraX = 0.0f, CameraY = 0.0f;
platform::List<ment> NoticeList;
platform::List<ore> PopupList;

namespace {

constexpr int32_t kNoticeFrames = 180;
constexpr int32_t kNoticeHighlightFrames = 60;
constexpr int32_t kPopupFrames = 120;

void ToggleOptionsOnTab() {
  if (fw_key_hit(vk::kTab) == 0) return;
  OptionsOpen = 1 - OptionsOpen;
  WriteSetupIni();
}

int32_t HandleFrameGatedKeys() {
  int32_t result = 0;
  if (!FrameShown()) return result;
  if (fw_key_hit(vk::kF11) != 0) TakeScreenshot();
  if (fw_key_down(vk::kEscape) != 0 && PauseState == 1) {
    PauseState = 2;
    result = PauseScreen();
    PauseState = 1;
  }
  return result;
}

void DrawOverlayRow(int32_t y, const Text& text) { DrawTextAligned(2, y, text, 0, 0); }

Text CountOfLimit(int32_t slot) {
  return rt_string_from_int(DrawCounts[slot]) + u"/" + rt_string_from_int(DrawLimits[slot]);
}

void DrawDebugOverlay() {
  if (fw_key_hit(vk::kF12) != 0) DebugOverlayOn = 1 - DebugOverlayOn;
  if (DebugOverlayOn != 1) return;
  fw_set_image_font(FontTable[1]);
  DrawOverlayRow(2, rt_string_from_int(FramesPerSecond));
  fw_set_image_font(FontTable[2]);
  DrawOverlayRow(40, u"Collection : " + rt_string_from_int(LastCollection));
  DrawOverlayRow(60, u"Used Memory : " + rt_string_from_int(rt_gc_memory_in_use()));
  DrawOverlayRow(80, u"Drawn Images : " + CountOfLimit(1));
  DrawOverlayRow(100, u"Drawn Glow : " + CountOfLimit(2));
  DrawOverlayRow(120, u"Drawn Particles : " + CountOfLimit(3));
  DrawOverlayRow(150, u"Hit F12 to remove this");
}

void DrawPointer(int32_t show_pointer) {
  if (show_pointer != 1 && OptionsOpen != 1) return;
  SetScaleXY(1.0f);
  fw_draw_image(IconStripSmooth, fw_virtual_mouse_x() + 8.0f, fw_virtual_mouse_y() + 8.0f, 63);
}

void LatchMouse() {
  PrevMouseX = MouseX;
  PrevMouseY = MouseY;
  MouseX = rt_float_to_int(fw_virtual_mouse_x());
  MouseY = rt_float_to_int(fw_virtual_mouse_y());
  MouseHit1 = fw_mouse_hit(1);
  MouseHit2 = fw_mouse_hit(2);
}

// Waits until 1000/60 ms after two milliseconds before the frame stamp. The
// signed difference from the stamp keeps this right across the clock's wrap;
// a clock that reads before the stamp (it was set back) ends the wait rather
// than stalling for the whole turn of the clock.
void SleepUntilFrameDue() {
  int32_t since = wrap_sub(LastFrameTime, 2);
  while (true) {
    rt_delay(1);
    int32_t elapsed = wrap_sub(NowMillis(), since);
    if (elapsed < 0 || float(elapsed) >= 1000.0f / 60.0f) return;
  }
}

void DrawNotices() {
  int32_t y = VirtualHeight - 12;
  SetScaleXY(1.0f);
  SelectFont(1, 0);
  NoticeList.ForEach([&](const std::shared_ptr<ment>& notice) {
    notice->tick = wrap_add(notice->tick, 1);
    bool fresh = notice->tick < kNoticeHighlightFrames;
    if (fresh) {
      SetColourAlpha(255, 255, 0, 0.7f);
    } else {
      SetColourAlpha(0, 0, 0, 0.7f);
    }
    fw_draw_rect(0.0f, float(y), float(fw_text_width(notice->txt)), float(fw_text_height()));
    if (fresh) {
      SetColourAlpha(0, 0, 0, 1.0f);
    } else {
      SetColourAlpha(255, 255, 255, 1.0f);
    }
    DrawTextAligned(0, y, notice->txt, 0, 0);
    y = wrap_sub(y, 12);
    if (notice->tick >= kNoticeFrames) NoticeList.Remove(notice);
  });
}

void Flip() {
  if (FrameShown()) fw_flip(0);
}

// A frame time below 1 ms can only come from a clock that was set back; it
// counts as 1 so that the division stays defined.
void MeasureFrameRate() {
  int32_t frame_time = wrap_sub(NowMillis(), LastFrameTime);
  if (frame_time < 1) frame_time = 1;
  FramesPerSecond = wrap_div(wrap_add(1000 / frame_time, wrap_mul(2, FramesPerSecond)), 3);
  LastFrameTime = NowMillis();
}

bool QuitRequested() {
  return AltF4Held() || fw_app_terminate_requested() != 0 || fw_app_stop_signalled() != 0;
}

}  // namespace

bool FrameShown() { return EngineSettings[kSlowSystemSetting] == 0 || FrameSkipPhase == 0; }

int32_t EndFrame(int32_t, int32_t, int32_t show_pointer) {
  UpdateScorePopups();
  ToggleOptionsOnTab();
  if (FrameSkipPhase == 1) LastCollection = rt_gc_collect();
  int32_t result = HandleFrameGatedKeys();
  OptionsMenuFrame();
  ResetDrawState();
  SetScaleXY(1.5f);
  fw_set_image_font(FontTable[1]);
  DrawDebugOverlay();
  DrawPointer(show_pointer);
  LatchMouse();
  SleepUntilFrameDue();
  sequencer::MusicTick();
  DrawNotices();
  Flip();
  MeasureFrameRate();
  FrameSkipPhase = 1 - FrameSkipPhase;
  if (QuitRequested()) ShutDown();
  return result;
}

int32_t AddNotice(const Text& text, int32_t colour) {
  auto notice = std::make_shared<ment>();
  notice->txt = text;
  notice->c = colour;
  NoticeList.Append(notice);
  return 0;
}

int32_t SpawnScorePopup(int32_t n, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
  auto popup = std::make_shared<ore>();
  popup->n = n;
  popup->x = float(x);
  popup->y = float(y);
  popup->t = kPopupFrames;
  popup->r = r;
  popup->g = g;
  popup->b = b;
  PopupList.Append(popup);
  return 0;
}

int32_t UpdateScorePopups() {
  fw_set_image_font(FontTable[3]);
  ResetDrawState();
  PopupList.ForEach([](const std::shared_ptr<ore>& popup) {
    popup->t = wrap_sub(popup->t, 1);
    popup->y -= 0.25f;
    SetColourAlpha(float(popup->r), float(popup->g), float(popup->b),
                   float(popup->t) / float(kPopupFrames));
    DrawTextAligned(rt_float_to_int(popup->x - CameraX), rt_float_to_int(popup->y - CameraY),
                    rt_string_from_int(popup->n), 1, 1);
    if (popup->t <= 0) PopupList.Remove(popup);
  });
  return 0;
}

}  // namespace engine
