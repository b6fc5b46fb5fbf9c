// The options panel: the engine's one settings screen, a translucent panel
// that slides down over the running screen while OptionsOpen is set.
#include <algorithm>

#include "engine.h"

namespace engine {

int32_t OptionsPanelY = kOptionsPanelClosedY;
int32_t OptionsPanelHoldsPress = kNoPress;

namespace {

constexpr int32_t kPanelHeight = -kOptionsPanelClosedY;
constexpr int32_t kPanelEdgeHeight = 2;  // the bright line along its bottom
constexpr int32_t kPanelSlideStep = 32;
constexpr int32_t kMaxAudioChoices = 6;

constexpr int32_t kFrameKeyBox = 3;
constexpr int32_t kFrameHat = 8;
constexpr int32_t kFrameAxis = 9;
constexpr int32_t kFrameJoyButton = 10;
constexpr int32_t kFrameBarLeft = 21;
constexpr int32_t kFrameBarRight = 22;
constexpr int32_t kFrameKnob = 23;

// The panel covers the rows from the top of the screen down to its edge line.
bool PanelCoversPointer() {
  return OptionsPanelY > kOptionsPanelClosedY && MouseY < OptionsPanelY + kPanelHeight;
}

// Taken before the slide, at the place the frame's controls saw the panel.
// A press belongs where it began: a drag from the tool that crosses the
// panel stays the tool's.
void NotePressOnPanel() {
  if (fw_mouse_down(1) == 0 && fw_mouse_down(2) == 0 && fw_mouse_down(3) == 0) {
    OptionsPanelHoldsPress = kNoPress;
  } else if (OptionsPanelHoldsPress == kNoPress) {
    OptionsPanelHoldsPress = PanelCoversPointer() ? kPanelPress : kOtherPress;
  }
}

void SlidePanel() {
  if (OptionsOpen == 1 && OptionsPanelY < 0) OptionsPanelY += kPanelSlideStep;
  if (OptionsOpen == 0 && OptionsPanelY > kOptionsPanelClosedY) OptionsPanelY -= kPanelSlideStep;
}

void DrawPanelBackground() {
  const int32_t y = OptionsPanelY;
  const auto width = static_cast<float>(VirtualWidth);
  SetBlendKind(2);
  SetColourAlpha(40, 40, 40, 0.8f);
  fw_draw_rect(0, 0, width, static_cast<float>(y + kPanelHeight));
  SetBlendKind(1);
  SetColourAlpha(80, 80, 80, 0.4f);
  const int32_t edge_y = y + kPanelHeight - kPanelEdgeHeight;
  fw_draw_rect(0, 0, width, static_cast<float>(edge_y));
  SetColourAlpha(180, 255, 180, 1.0f);
  fw_draw_rect(0, static_cast<float>(edge_y), width, kPanelEdgeHeight);
}

void DrawPanelText(int32_t x, int32_t y, const Text& text) { DrawTextAligned(x, y, text, 0, 0); }

void DrawApplyButton() {
  SetScaleXY(1.0f);
  SetColourAlpha(0, 120, 0, 0.5f);
  const int32_t w = fw_text_width(u"Apply");
  const int32_t h = fw_text_height();
  const int32_t top = OptionsPanelY + 258;
  if (MouseInRect(18, top, w + 4, h + 4) != 0) {
    fw_draw_rect(18, static_cast<float>(top), static_cast<float>(w + 4), static_cast<float>(h + 4));
    if (MouseHit1 != 0) {
      MouseHit1 = 0;
      OptionsOpen = 0;
      WriteSetupIni();
      ApplyGraphicsSettings();
    }
  }
  SetColourAlpha(80, 255, 80, 1.0f);
  DrawPanelText(20, OptionsPanelY + 260, u"Apply");
}

struct BindingBox {
  int32_t control;
  int32_t dx, dy;
  int32_t r, g, b;
};

// A cross of direction boxes and a diamond of four buttons.
constexpr BindingBox kBindingBoxes[] = {
    {0, 50, 0, 80, 255, 80},    {3, 0, 50, 80, 255, 80},    {5, 100, 50, 80, 255, 80},
    {8, 50, 50, 80, 255, 80},   {13, 190, 0, 255, 255, 80}, {12, 155, 30, 80, 80, 255},
    {11, 225, 30, 255, 80, 80}, {10, 190, 60, 80, 255, 80},
};

void DrawKeyBindingBlocks() {
  for (int32_t player = 1; player <= PlayerCount; ++player) {
    const int32_t x0 = 250 + 400 * ((player - 1) / 2);
    const int32_t y0 = OptionsPanelY + 10 + 150 * ((player - 1) % 2);
    for (const BindingBox& box : kBindingBoxes) {
      SetColourAlpha(static_cast<float>(box.r), static_cast<float>(box.g),
                     static_cast<float>(box.b));
      KeyBindingRow((player - 1) * 20 + box.control, x0 + box.dx, y0 + box.dy);
    }
  }
}

// Slider values close to either end snap to it, so that 0 and 100 can be hit.
int32_t SnapVolume(int32_t value) {
  if (value < 6) return 0;
  if (value > 94) return 100;
  return value;
}

void DrawVolumeSliders(int32_t x1) {
  static constexpr struct {
    int32_t setting;
    int32_t dy;
    const char16_t* label;
  } kSliders[] = {{kMasterVolumeSetting, 70, u"Master Volume"},
                  {kSoundVolumeSetting, 120, u"Sounds"},
                  {kMusicVolumeSetting, 170, u"Music"}};
  for (const auto& slider : kSliders) {
    int32_t& value = EngineSettings[slider.setting];
    value = SnapVolume(VolumeSlider(value, x1, OptionsPanelY + slider.dy, slider.label));
  }
}

void DrawJoystickList(int32_t x1) {
  for (int32_t j = 1; j <= JoyCount; ++j) {
    const int32_t row_y = OptionsPanelY + 230 + 15 * (j - 1);
    if (fw_joy_button_down(0, j - 1) != 0) {
      SetColourAlpha(255, 255, 80, 1.0f);
    } else {
      SetColourAlpha(80, 255, 80, 1.0f);
    }
    if (JoyPresent[j] == 0) fw_set_alpha(0.2f);
    if (MouseInRect(x1, row_y, fw_text_width(JoyNames[j]), 14) != 0 && MouseHit1 != 0) {
      MouseHit1 = 0;
      JoyPresent[j] = 1 - JoyPresent[j];
    }
    DrawPanelText(x1, row_y, JoyNames[j]);
  }
}

// The "AUDIO" row offers the first six audio drivers.
void ExpandAudioOptions(Text (&options)[6]) {
  if (options[0] != u"AUDIO") return;
  const int32_t offered = std::min(static_cast<int32_t>(AudioDriverNames.size()), kMaxAudioChoices);
  for (int32_t k = 0; k < offered; ++k) {
    options[k] = u"Audio Driver|" + AudioDriverNames[size_t(k)];
  }
}

int32_t CountOptions(const Text (&options)[6]) {
  for (int32_t k = 6; k >= 2; --k) {
    if (!options[k - 1].empty()) return k;
  }
  return 1;
}

// Draws the label, one line or a caption with a hint below; returns the
// caption's width.
int32_t DrawChooserLabel(int32_t x, int32_t row_y, const Text& label) {
  SetScaleXY(1.0f);
  fw_set_image_font(FontTable[2]);
  if (fw_instr(label, u"|") == 0) {
    DrawTextAligned(x + 38, row_y + 16, label, 0, 1);
    return fw_text_width(label);
  }
  const Text caption = SplitField(label, u"|", 1, 0);
  DrawTextAligned(x + 38, row_y + 8, caption, 0, 1);
  DrawTextAligned(x + 38, row_y + 24, SplitField(label, u"|", 2, 0), 0, 1);
  return fw_text_width(caption);
}

enum class KeyBoxKind { kNone, kKey, kAxis, kHat, kJoyButton };

KeyBoxKind ClassifyBinding(int32_t code) {
  if (code == 0) return KeyBoxKind::kKey;
  if (code >= 9 && code <= 254) return KeyBoxKind::kKey;
  if (code < 300) return KeyBoxKind::kNone;
  const int32_t part = code % 50;
  if (part <= 11) return KeyBoxKind::kAxis;
  if (part >= 20 && part <= 29) return KeyBoxKind::kHat;
  if (part >= 30) return KeyBoxKind::kJoyButton;
  return KeyBoxKind::kNone;
}

}  // namespace

int32_t SettingChooserRow(int32_t index, int32_t x, int32_t y, int32_t icon_base, const Text& o1,
                          const Text& o2, const Text& o3, const Text& o4, const Text& o5,
                          const Text& o6) {
  Text options[6] = {o1, o2, o3, o4, o5, o6};
  ExpandAudioOptions(options);
  const int32_t value = EngineSettings[index];
  const int32_t count = CountOptions(options);
  const bool has_own_label = value >= 1 && value <= 5 && !options[value].empty();
  const Text& label = has_own_label ? options[value] : options[0];
  const int32_t row_y = OptionsPanelY + y;
  const int32_t caption_width = DrawChooserLabel(x, row_y, label);
  SetScaleXY(2.0f);
  const int32_t frame = wrap_add(icon_base, value);
  if (MouseInRect(x, row_y, caption_width + 38, 32) == 0) {
    DrawSpriteCounted(IconStripSharp, x, row_y, frame, 1);
  } else {
    DrawGlowSpriteB(IconStripSharp, x, row_y, frame, IconStripSmooth, 1.1f, 0.8f);
    if (MouseHit1 != 0) EngineSettings[index] = wrap_mod(wrap_add(value, 1), count);
  }
  return 0;
}

int32_t VolumeSlider(int32_t value, int32_t x, int32_t y, const Text& label) {
  SetColourAlpha(80, 255, 80);
  SetScaleXY(3.1f, 1.5f);
  DrawSpriteCounted(IconStripSharp, x - 2, y, kFrameBarLeft, 1);
  DrawSpriteCounted(IconStripSharp, x + 48, y, kFrameBarRight, 1);
  SetColourAlpha(255, 80, 80);
  SetScaleXY(1.0f, 1.5f);
  DrawSpriteCounted(IconStripSharp, wrap_sub(wrap_add(x, value), 9), y, kFrameKnob, 1);
  SetColourAlpha(80, 180, 255);
  // A drag from the tool that crosses the slider is not the slider's.
  const bool panel_press = OptionsPanelHoldsPress == kPanelPress && fw_mouse_down(1) != 0;
  if (MouseInRect(x - 2, y - 4, 100, 24) != 0 && panel_press) {
    value = MouseX - x + 2;
  }
  SetScaleXY(1.0f, 1.0f);
  DrawPanelText(x, y + 20, label + u" : " + rt_string_from_int(value));
  return value;
}

int32_t KeyBindingRow(int32_t key_index, int32_t x, int32_t y) {
  const int32_t code_on_entry = KeyMap[key_index];
  float lit = 0.0f;
  if (MouseInRect(x, y, 48, 48) != 0 && OptionsPanelY >= 0) {
    lit = 1.0f;
    const int32_t scanned = ScanAnyInput();
    if (scanned > 8) KeyMap[key_index] = scanned;
    if (scanned == 8) KeyMap[key_index] = 0;  // Backspace unbinds
  }
  if (InputCodeDown(KeyMap[key_index]) != 0) lit = 1.0f;

  int32_t frame = kFrameKeyBox;
  bool text_at_corner = false;
  switch (ClassifyBinding(code_on_entry)) {
    case KeyBoxKind::kNone:
      return 0;
    case KeyBoxKind::kKey:
      break;
    case KeyBoxKind::kAxis:
      frame = kFrameAxis;
      text_at_corner = true;
      break;
    case KeyBoxKind::kHat:
      frame = kFrameHat;
      text_at_corner = true;
      break;
    case KeyBoxKind::kJoyButton:
      frame = kFrameJoyButton;
      break;
  }
  SetScaleXY(3.0f);
  DrawGlowSprite(IconStripSharp, x, y, frame, IconStripSmooth, 1.1f, lit);
  SetScaleXY(1.0f);
  const Text text = code_on_entry == 0 ? Text(u"?!") : KeyCodeName(KeyMap[key_index]);
  const int32_t offset = text_at_corner ? 0 : 24;
  DrawTextAligned(x + offset, y + offset, text, 1, 1);
  return 0;
}

bool OptionsPanelHasPointer() {
  return OptionsPanelHoldsPress == kPanelPress || PanelCoversPointer();
}

int32_t OptionsMenuFrame() {
  MouseHit1 = fw_mouse_hit(1);
  NotePressOnPanel();
  SlidePanel();
  if (OptionsPanelY <= kOptionsPanelClosedY) return 0;
  fw_set_image_font(FontTable[2]);
  ResetDrawState();
  DrawPanelBackground();
  // The panel's icons are drawn whatever the frame has drawn already.
  DrawCounts[1] = 0;
  DrawCounts[2] = 0;
  SetColourAlpha(80, 255, 80, 1.0f);
  DrawPanelText(20, OptionsPanelY + 4, u"Graphics");
  SettingChooserRow(kFullScreenSetting, 20, 30, 13, u"Windowed", u"Fullscreen", u"", u"", u"", u"");
  SetColourAlpha(80, 255, 80, 1.0f);
  SettingChooserRow(kSlowSystemSetting, 20, 108, 18, u"Draw all Frames|Decent System",
                    u"Frameskip|Slow System", u"", u"", u"", u"");
  DrawApplyButton();
  if (MouseMode == 0) DrawKeyBindingBlocks();
  const int32_t x1 = VirtualWidth - 280;
  SettingChooserRow(kAudioDriverSetting, x1, 20, 24, u"AUDIO", u"", u"", u"", u"", u"");
  SetScaleXY(1.0f);
  SetColourAlpha(255, 180, 180, 1.0f);
  DrawPanelText(x1, OptionsPanelY + 50, u"Changes require a Restart");
  DrawVolumeSliders(x1);
  DrawJoystickList(x1);
  return 0;
}

}  // namespace engine
