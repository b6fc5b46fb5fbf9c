// Drawing helpers over the platform's one drawing state, and the per-frame
// draw budget that caps counted sprite draws.
#include <cmath>

#include "engine.h"

namespace engine {

int32_t DrawLimits[20] = {0, 50000, 50000};
int32_t DrawCounts[20] = {};
float BackdropColour[3] = {1.0f, 0.0f, 0.2f};
float BackdropTarget[3] = {1.0f, 0.0f, 0.2f};

namespace {

constexpr int32_t kMainSlot = 1;
constexpr int32_t kGlowSlot = 2;
constexpr int32_t kFirstResetSlot = 1;
constexpr int32_t kLastResetSlot = 10;
constexpr int32_t kLightBlendKind = 3;

bool ValidSlot(int32_t slot) { return slot >= 0 && slot < 20; }

// Takes one unit of the slot's budget; false when the slot is spent.
bool TakeFromBudget(int32_t slot) {
  if (!ValidSlot(slot) || DrawCounts[slot] >= DrawLimits[slot]) return false;
  DrawCounts[slot] = wrap_add(DrawCounts[slot], 1);
  return true;
}

// Draws a frame so that (x, y) is the top-left corner of `sized_as` scaled by
// (sx, sy); rotation is not taken into account.
void DrawFromCorner(int32_t image, int32_t sized_as, int32_t x, int32_t y, int32_t frame, float sx,
                    float sy) {
  float centre_x = float(x) + float(fw_image_width(sized_as)) * sx / 2.0f;
  float centre_y = float(y) + float(fw_image_height(sized_as)) * sy / 2.0f;
  fw_draw_image(image, centre_x, centre_y, frame);
}

bool StrictlyInside(int32_t px, int32_t py, int32_t x, int32_t y, int32_t w, int32_t h) {
  return x < px && px < wrap_add(x, w) && y < py && py < wrap_add(y, h);
}

// One easing step of the backdrop toward its target, then the snap of any
// channel that is close enough, so that the easing ends.
void EaseBackdropColour() {
  for (int k = 0; k < 3; ++k)
    BackdropColour[k] = BackdropColour[k] - (BackdropColour[k] - BackdropTarget[k]) / 16.0f;
  for (int k = 0; k < 3; ++k)
    if (std::fabs(BackdropColour[k] - BackdropTarget[k]) < 0.005f)
      BackdropColour[k] = BackdropTarget[k];
}

}  // namespace

int32_t ResetDrawState() {
  fw_set_rotation(0.0f);
  fw_set_scale(1.0f, 1.0f);
  fw_set_color(255, 255, 255);
  fw_set_alpha(1.0f);
  SetBlendKind(1);
  return 0;
}

int32_t SetBlendKind(int32_t kind) {
  static constexpr int32_t kPlatformMode[] = {2, 3, 5, 4};
  if (kind >= 0 && kind <= 3) fw_set_blend(kPlatformMode[kind]);
  return 0;
}

int32_t SetColourAlpha(float r, float g, float b, float alpha) {
  fw_set_color(rt_float_to_int(ClampFloat(r, 0.0f, 255.0f)),
               rt_float_to_int(ClampFloat(g, 0.0f, 255.0f)),
               rt_float_to_int(ClampFloat(b, 0.0f, 255.0f)));
  if (alpha != kKeepAlpha) fw_set_alpha(ClampFloat(alpha, 0.0f, 1.0f));
  return 0;
}

int32_t SetScaleXY(float sx, float sy) {
  fw_set_scale(sx, sy == kSameScale ? sx : sy);
  return 0;
}

int32_t SetAngle(float angle) {
  fw_set_rotation(angle);
  return 0;
}

// The upper bound is applied first, so lo wins when lo exceeds hi.
int32_t ClampInt(int32_t value, int32_t lo, int32_t hi) {
  if (value > hi) value = hi;
  if (value < lo) value = lo;
  return value;
}

float ClampFloat(float value, float lo, float hi) {
  if (value > hi) value = hi;
  if (value < lo) value = lo;
  return value;
}

int32_t SelectFont(int32_t family, int32_t size) {
  if (family < 1 || family > 3) family = 1;
  if (size < 0 || size > 8) size = 0;
  fw_set_image_font(FontGrid[(family - 1) * 10 + size]);
  return 0;
}

// The shifts use the unscaled text size.
int32_t DrawTextAligned(int32_t x, int32_t y, const Text& text, int32_t h, int32_t v) {
  if (h == 1) x = wrap_sub(x, fw_text_width(text) / 2);
  if (h == 2) x = wrap_sub(x, fw_text_width(text));
  if (v == 1) y = wrap_sub(y, fw_text_height() / 2);
  if (v == 2) y = wrap_sub(y, fw_text_height());
  fw_draw_text(text, float(x), float(y));
  return 0;
}

int32_t DrawStripedBackdrop() {
  ResetDrawState();
  EaseBackdropColour();
  float brightness = 25.0f;
  SetAngle(-45.0f);
  const int64_t height = VirtualHeight;
  // Stripes 30 high start 30 apart, so they touch; each is rotated about its
  // own start point and runs up and to the right.
  for (int64_t i = 0; i <= height; i += 10) {
    brightness += 1.0f;
    SetColourAlpha(brightness * BackdropColour[0], brightness * BackdropColour[1],
                   brightness * BackdropColour[2]);
    fw_draw_rect(-100.0f, float(3 * i), float(VirtualWidth) + 1800.0f, 30.0f);
  }
  ResetDrawState();
  return 0;
}

int32_t BeginFrame(int32_t clear) {
  if (clear == 1) fw_cls();
  for (int32_t slot = kFirstResetSlot; slot <= kLastResetSlot; ++slot) DrawCounts[slot] = 0;
  return 0;
}

// A counted draw ends slow-system mode, so it never skips.
int32_t DrawSpriteCounted(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t slot) {
  EngineSettings[kSlowSystemSetting] = 0;
  float sx = 1.0f, sy = 1.0f;
  fw_get_scale(sx, sy);
  if (TakeFromBudget(slot)) DrawFromCorner(image, image, x, y, frame, sx, sy);
  return 0;
}

// The sprite, then a copy enlarged about the same centre and added on top.
int32_t DrawGlowSprite(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t glow_image,
                       float glow_scale, float glow_alpha) {
  // In slow-system mode only the frames the hub shows get their glow draws.
  if (!FrameShown()) return 0;
  float sx = 1.0f, sy = 1.0f;
  fw_get_scale(sx, sy);
  const float alpha = fw_get_alpha();
  const int32_t blend = fw_get_blend();

  if (TakeFromBudget(kMainSlot)) DrawFromCorner(image, image, x, y, frame, sx, sy);

  fw_set_scale(sx * glow_scale, sy * glow_scale);
  fw_set_alpha(alpha * glow_alpha);
  SetBlendKind(kLightBlendKind);
  if (TakeFromBudget(kGlowSlot))
    DrawFromCorner(glow_image != 0 ? glow_image : image, image, x, y, frame, sx, sy);

  fw_set_scale(sx, sy);
  fw_set_alpha(alpha);
  fw_set_blend(blend);
  return 0;
}

int32_t DrawGlowSpriteB(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t glow_image,
                        float glow_scale, float glow_alpha) {
  return DrawGlowSprite(image, x, y, frame, glow_image, glow_scale, glow_alpha);
}

int32_t MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  return StrictlyInside(MouseX, MouseY, x, y, w, h) ? 1 : 0;
}

int32_t PrevMouseInRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  return StrictlyInside(PrevMouseX, PrevMouseY, x, y, w, h) ? 1 : 0;
}

}  // namespace engine
