// The tool's frame loop: the program's one main loop. Each pass regenerates
// a preview frame when due, redraws the whole screen and acts on the mouse
// and keys in the same calls that draw the controls.
#include <algorithm>

#include "engine/engine.h"
#include "tool.h"
#include "tool_draw.h"

namespace tool {

int32_t UiState = kUiIdle;
int32_t MouseConsumed = 0;
int32_t NameBoxActive = 0;
Text SpriteName;
int32_t SpriteSeed = 0;
int32_t SpriteWidth = 0, SpriteHeight = 0;
int32_t SpriteImage = 0;
int32_t AnimFrames = 0;
int32_t TicksPerFrame = 8;
int32_t PreviewScale = 0;

namespace {

using engine::DrawSpriteCounted;
using engine::DrawTextAligned;
using engine::SelectFont;
using engine::SetScaleXY;

constexpr int32_t kPresetPitch = 80;
constexpr int32_t kTopBarHeight = 18;
constexpr Colour kColumnBackground{130, 100, 100};
constexpr Colour kPresetHover{100, 60, 20};
constexpr Colour kYellow{255, 255, 0};
constexpr Colour kButtonHover{180, 180, 120};
constexpr Colour kNameEditing{180, 180, 255};

struct LoopState {
  int32_t pass_counter = 0;
  int32_t selected_layer = 1;
  int32_t scroll = 0;
  int32_t ShownFrame() const { return wrap_div(pass_counter, TicksPerFrame); }
};

void StartValues() {
  SpriteName = u"NameYourSprite";
  SpriteWidth = 8;
  SpriteHeight = 8;
  SelectPalette(0);
  TicksPerFrame = 8;
  SpriteSeed = rt_millisecs();
  RemakeSpriteImage();
}

void StartPass() {
  fw_set_cls_color(120, 120, 120);
  engine::BeginFrame(1);
  engine::ResetDrawState();
}

// Frame k of F is rebuilt on the pass where the counter is 8k; with F at 0
// or below the counter stays 0 and frame 0 is rebuilt every pass.
void TickPreviewClock(LoopState& loop) {
  loop.pass_counter = wrap_add(loop.pass_counter, 1);
  if (loop.pass_counter >= wrap_mul(TicksPerFrame, AnimFrames)) loop.pass_counter = 0;
  if (wrap_mod(loop.pass_counter, TicksPerFrame) == 0) GenerateSpriteFrame(loop.ShownFrame(), 0);
}

void ScrollPresetColumn(int32_t& scroll) {
  scroll = wrap_add(scroll, wrap_mul(24, fw_mouse_z_speed()));
  scroll = wrap_add(scroll, 16 * (fw_key_down(vk::kUp) - fw_key_down(vk::kDown)));
  const int32_t lowest = wrap_mul(-(PresetList.Count() - 1), kPresetPitch);
  if (scroll > 0) scroll = 0;
  if (scroll < lowest) scroll = lowest;
}

// The icon enlarged and centred on (39, top + 32). An icon that failed to
// load has no size to scale by, so its row shows the name alone.
void DrawPresetIcon(int32_t icon, int32_t top) {
  const int32_t w = fw_image_width(icon), h = fw_image_height(icon);
  if (w <= 0 || h <= 0) return;
  PreviewScale = FitScale(64, w, h);
  SetColour(kWhite);
  SetScaleXY(float(PreviewScale));
  DrawSpriteCounted(icon, 39 - PreviewScale * (w / 2), top + 32 - PreviewScale * (h / 2), 0, 1);
}

// Whether the pointer is on the part of a row's square that shows: the top
// bar covers the rows above it. Rows outside the window take presses too:
// while a button is held the pointer can read outside it.
bool PointerOnPresetSquare(int32_t top) {
  return MouseInToolRect(7, top, 64, 64) && engine::MouseY >= kTopBarHeight;
}

// The row's square colour; a fresh press on the square loads the preset.
Colour LoadPresetOnPressAndGetRowColour(const data& preset, int32_t top) {
  if (!PointerOnPresetSquare(top) || UiState != kUiIdle) return kBlack;
  if (FreshPress()) {
    MouseConsumed = 1;
    ApplyPreset(preset);
  }
  return kPresetHover;
}

// A row spans its whole pitch, the name below the square included.
bool PresetRowShows(int32_t top) {
  return top < engine::VirtualHeight && wrap_add(top, kPresetPitch) > 0;
}

// Rows out of sight are not drawn, so that their icons leave the draw budget
// to the rest of the screen however many presets there are.
void DrawPresetRow(const data& preset, int32_t top) {
  const Colour colour = LoadPresetOnPressAndGetRowColour(preset, top);
  if (!PresetRowShows(top)) return;
  FillRect(7, top, 64, 64, colour);
  DrawPresetIcon(preset.icon, top);
  SetColour(kBlack);
  SetScaleXY(1.0f);
  SelectFont(1, 0);
  DrawTextAligned(6, top + 65, preset.name, 0, 0);
}

void DrawPresetColumn(int32_t& scroll) {
  FillRect(5, kTopBarHeight, 72, 800, kColumnBackground);
  int32_t top = wrap_add(scroll, 22);
  ScrollPresetColumn(scroll);
  // The walk runs over every preset on every pass, so it reads the links
  // alone: copying a record's pointer would visit its use count too. No row
  // changes the list.
  const auto& presets = PresetList.Links();
  for (const std::shared_ptr<data>& preset : presets) {
    DrawPresetRow(*preset, top);
    top = wrap_add(top, kPresetPitch);
  }
  if (presets.empty()) return;
  PresetCursor = presets.back();
  // The top bar writes in the rows' font, also on a pass where none shows.
  SelectFont(1, 0);
}

void DrawTopBar() {
  FillRect(0, 0, engine::VirtualWidth, kTopBarHeight, kBlack);
  FillRect(0, 0, 18, 18, kWhite);
  FillRect(1, 1, 16, 16, kBlack);
  SetColour(kWhite);
  DrawSpriteCounted(PaletteSwatchImage, 1, 1, 0, 1);
  DrawTextAligned(20, 9, u"Palette", 0, 1);
  FillRect(100, 0, 18, 18, kWhite);
  FillRect(101, 1, 16, 16, kBlack);
  FillRect(101, 1, SpriteWidth / 4, SpriteHeight / 4, kYellow);
  SetColour(kWhite);
  DrawTextAligned(120, 9, u"Size", 0, 1);
  DrawTextAligned(794, 9, u"Build Spritesheet", 2, 1);
  DrawTextAligned(400, 9, u"Settings", 1, 1);
}

struct Button {
  int32_t x, y;                        // the black square's corner
  int32_t hit_x, hit_y, hit_w, hit_h;  // where the mouse counts
  const char16_t* initial;
  int32_t initial_x, initial_y;
  const char16_t* rest;
  int32_t rest_x, rest_y;
};

constexpr Button kSaveButton{80, 555, 81, 556, 38, 38, u"S", 90, 575, u"ave", 104, 580};
constexpr Button kTileButton{350, 555, 350, 555, 40, 40, u"T", 360, 575, u"ile", 374, 580};
constexpr Button kNewButton{755, 425, 755, 425, 40, 40, u"N", 765, 445, u"ew", 779, 451};

// Draws the button; true when a fresh press lands on it in this pass.
bool DrawButton(const Button& button) {
  const bool over = MouseInToolRect(button.hit_x, button.hit_y, button.hit_w, button.hit_h);
  FillRect(button.x, button.y, 40, 40, kBlack);
  FillRect(button.x + 1, button.y + 1, 38, 38, over ? kButtonHover : kGrey);
  SelectFont(1, 5);
  SetColour(kBlack);
  DrawTextAligned(button.initial_x, button.initial_y, button.initial, 1, 1);
  SelectFont(1, 2);
  SetColour(kWhite);
  DrawTextAligned(button.rest_x, button.rest_y, button.rest, 1, 1);
  return over && FreshPress();
}

// Tiles frame 0 over the 512 x 512 sheet the tile view shows.
void TileAction() {
  const int32_t kept_seed = SpriteSeed;
  UiState = kUiTileView;
  engine::BeginFrame(1);
  engine::ResetDrawState();
  GenerateSpriteFrame(0, 0);
  const int32_t columns = wrap_div(512, SpriteWidth), rows = wrap_div(512, SpriteHeight);
  for (int32_t c = 0; c <= columns; ++c) {
    for (int32_t r = 0; r <= rows; ++r) {
      DrawSpriteCounted(SpriteImage, c * SpriteWidth, r * SpriteHeight, 0, 1);
    }
    engine::BeginFrame(0);
  }
  GrabFrameToImage(SheetImage, 0, 0, 0);
  engine::BeginFrame(1);
  engine::ResetDrawState();
  SpriteSeed = kept_seed;
}

// Whether the name box takes one more typed code unit: "NAME.dat" must stay
// a file name the file systems take. A character beyond the first plane
// comes as two halves on two passes; the first is taken only with room for
// both, and a second half whose first was refused is refused too.
bool TakesTypedUnit(const Text& name, char16_t unit) {
  if (platform::IsLowSurrogate(unit) && (name.empty() || !platform::IsHighSurrogate(name.back())))
    return false;
  const size_t room_for_second_half = platform::IsHighSurrogate(unit) ? 1 : 0;
  return platform::ToUtf8(name + unit + u".dat").size() + room_for_second_half <=
         platform::kMaxFileNameBytes;
}

// One pass of typing into the name, whose blanks are removed.
Text EditedSpriteName() {
  const Text kept = fw_replace(SpriteName, u" ", u"");
  const Text edited = fw_replace(engine::EditTextField(SpriteName), u" ", u"");
  if (edited.size() > kept.size() && !TakesTypedUnit(kept, edited.back())) return kept;
  return edited;
}

Colour EditName() {
  if (UiState == kUiIdle) fw_flush_keys();
  UiState = kUiNameEditing;
  if (FreshPress()) {
    MouseConsumed = 1;
    NameBoxActive = 1;
    UiState = kUiNameEditing;
  }
  SpriteName = EditedSpriteName();
  if (fw_key_down(vk::kEnter) == 1) {
    NameBoxActive = 0;
    UiState = kUiIdle;
  }
  if (!MouseInToolRect(130, 566, 200, 20) && LeftHeld()) {
    MouseConsumed = 1;
    UiState = kUiIdle;
    NameBoxActive = 0;
  }
  return kNameEditing;
}

// The longest end of `text`, cut between characters, at most `room` pixels
// wide in the current font. The width is a sum over the code units, so each
// character dropped from the front takes exactly its own width off.
Text TailWithin(const Text& text, int32_t room) {
  int32_t width = fw_text_width(text);
  size_t start = 0;
  while (width > room && start < text.size()) {
    const size_t units = platform::CharacterUnitsAt(text, start);
    width = wrap_sub(width, fw_text_width(text.substr(start, units)));
    start += units;
  }
  return text.substr(start);
}

// A name too wide for the box shows its end, where the typing happens, up to
// the body's right edge.
void DrawSpriteName() {
  constexpr int32_t kTextX = 133, kTextY = 576, kBodyRight = 329;
  constexpr int32_t kRoom = kBodyRight - kTextX;
  SetColour(kBlack);
  SelectFont(1, 1);
  if (fw_text_width(SpriteName) <= kRoom) {
    DrawTextAligned(kTextX, kTextY, SpriteName, 0, 1);
  } else {
    DrawTextAligned(kBodyRight, kTextY, TailWithin(SpriteName, kRoom), 2, 1);
  }
}

void DrawNameBox() {
  FillRect(130, 566, 200, 20, kBlack);
  Colour body = kGrey;
  if (MouseInToolRect(130, 566, 200, 20) || NameBoxActive == 1 || UiState == kUiNameEditing)
    body = EditName();
  FillRect(131, 567, 198, 18, body);
  DrawSpriteName();
}

void DrawButtons(const LoopState& loop) {
  if (DrawButton(kSaveButton)) {
    MouseConsumed = 1;
    SavePreset(loop.ShownFrame());
  }
  DrawNameBox();
  if (DrawButton(kTileButton)) {
    MouseConsumed = 1;
    TileAction();
  }
  // New keeps the press unused, so a held button draws a new seed each pass.
  if (DrawButton(kNewButton)) SpriteSeed = wrap_add(SpriteSeed, fw_rand_int(rt_millisecs(), 1));
}

void DrawPreview(const LoopState& loop) {
  const int32_t vw = engine::VirtualWidth, vh = engine::VirtualHeight;
  SetScaleXY(1.0f);
  FillRect(vw - 130, vh - 130, 130, 130, kWhite);
  DrawSpriteCounted(CheckerImage, vw - 129, vh - 129, 0, 1);
  PreviewScale = FitScale(128, SpriteWidth, SpriteHeight);
  SetColour(kWhite);
  SetScaleXY(1.0f);
  DrawSpriteCounted(PreviewImage, vw - 65 - (PreviewScale * SpriteWidth) / 2,
                    vh - 65 - (PreviewScale * SpriteHeight) / 2, StoredFrame(loop.ShownFrame()), 1);
}

struct Opener {
  int32_t state;
  int32_t x, y, w, h;
  int32_t (*menu)();
};

constexpr Opener kPaletteOpener{kUiPaletteMenu, 0, 0, 18, 18, ShowPaletteMenu};
constexpr Opener kSizeOpener{kUiSizeMenu, 100, 0, 18, 18, ShowSizeMenu};
constexpr Opener kSpritesheetOpener{kUiSpritesheetMenu, 600, 0, 200, 18, ShowSpritesheetMenu};
constexpr Opener kSettingsOpener{kUiSettingsMenu, 300, 0, 200, 18, ShowSettingsMenu};

// Openers ignore MouseConsumed, so a press on another opener switches menus.
void RunOpener(const Opener& opener) {
  const bool pressed = MouseInToolRect(opener.x, opener.y, opener.w, opener.h) && LeftHeld();
  if (!pressed && UiState != opener.state) return;
  if (UiState == kUiIdle) MouseConsumed = 1;
  UiState = opener.state;
  opener.menu();
}

void ShowTileView() {
  if (UiState != kUiTileView) return;
  DrawSpriteCounted(SheetImage, 144, 24, 0, 1);
  if (FreshPress()) {
    UiState = kUiIdle;
    MouseConsumed = 1;
  }
}

void RunOverlays() {
  RunOpener(kPaletteOpener);
  RunOpener(kSizeOpener);
  ShowTileView();
  RunOpener(kSpritesheetOpener);
  RunOpener(kSettingsOpener);
}

}  // namespace

void RemakeSpriteImage() {
  constexpr int32_t kMaskedAndDynamic = 9;
  rt_replace_handle(SpriteImage,
                    fw_create_image(SpriteWidth, SpriteHeight, kStoredFrames, kMaskedAndDynamic));
}

int32_t StoredFrame(int32_t frame) {
  if (frame < kStoredFrames) return frame;
  return 1 + (frame - 1) % (kStoredFrames - 1);
}

int32_t FitScale(int32_t side, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return 0;
  return std::min(side / w, side / h);
}

int32_t RunSpriteToolLoop() {
  StartValues();
  LoopState loop;
  while (true) {
    StartPass();
    AnimFrames = ToolSettings[kFrameCount];
    TickPreviewClock(loop);
    engine::BeginFrame(1);
    engine::ResetDrawState();
    DrawPresetColumn(loop.scroll);
    engine::ResetDrawState();
    DrawTopBar();
    DrawSettingsPanel(loop.selected_layer);
    DrawButtons(loop);
    DrawPreview(loop);
    engine::ResetDrawState();
    RunOverlays();
    engine::FrameRateTarget = 60;
    if (!LeftHeld()) MouseConsumed = 0;
    if (engine::EndFrame(engine::FrameRateTarget, 0, engine::MouseMode) == 99) return 0;
  }
}

}  // namespace tool
