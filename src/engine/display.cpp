// Display set-up and the common assets every part of the engine shares.

#include "engine.h"
#include "scores/scores.h"
#include "tool/tool.h"

namespace engine {

int32_t ModeWidths[2500] = {};
int32_t ModeHeights[2500] = {};
int32_t ModeCount = 0;
int32_t ChosenModeWidth = 800, ChosenModeHeight = 600;
int32_t VirtualWidth = 800, VirtualHeight = 600;
int32_t CommonObjectsLoaded = 0;
int32_t FontTable[20] = {};
int32_t FontGrid[100] = {};
int32_t IconStripSmooth = 0, IconStripSharp = 0;
int32_t LogoImage = 0, SiteLogoImage = 0;
int32_t BadgeSound = 0, BadgeImage = 0;

namespace {

const Text kMainFont = u"Blue Highway.ttf";
const Text kTitleFont = u"Acknowledge TT BRK.ttf";
const Text kDisplayRule = u"-=-=-=-=-=-=-=-=-=-=-=-=-=-";

bool IsAcceptedShape(int32_t w, int32_t h) {
  return wrap_div(wrap_mul(w, 10), 16) == h || wrap_div(wrap_mul(w, 9), 16) == h ||
         wrap_div(wrap_mul(w, 3), 4) == h;
}

bool AlreadyListed(int32_t w, int32_t h) {
  for (int32_t i = 1; i <= ModeCount; ++i) {
    if (ModeWidths[i] == w && ModeHeights[i] == h) return true;
  }
  return false;
}

// The list has room for 2499 modes; any beyond are not offered.
void ListAcceptedModes() {
  ModeCount = 0;
  int32_t count = fw_count_graphics_modes();
  for (int32_t i = 0; i < count; ++i) {
    int32_t w = 0, h = 0, depth = 0, rate = 0;
    fw_get_graphics_mode(i, w, h, depth, rate);
    if (!IsAcceptedShape(w, h) || AlreadyListed(w, h) || ModeCount >= 2499) continue;
    ++ModeCount;
    ModeWidths[ModeCount] = w;
    ModeHeights[ModeCount] = h;
    if (w == EngineSettings[kWidthSetting] && h == EngineSettings[kHeightSetting]) {
      EngineSettings[kModeSetting] = ModeCount;
      ChosenModeWidth = w;
      ChosenModeHeight = h;
    }
  }
  EngineSettings[kWidthSetting] = ChosenModeWidth;
  EngineSettings[kHeightSetting] = ChosenModeHeight;
}

int32_t ChooseDepth() {
  if (EngineSettings[kFullScreenSetting] != 1) return 0;
  for (int32_t depth : {32, 24, 16}) {
    if (fw_graphics_mode_exists(800, 600, depth, 0) == 1) return depth;
  }
  AddNotice(u"Can't set to fullscreen in this resolution.", 1);
  return 0;
}

// Named by its full path, so that it is removed from the folder it was made
// in whatever folder the set-up ends in.
Text StartSentinelPath() {
  const Text here = fw_current_dir();
  return here.empty() ? u"crash.dat" : here + u"/crash.dat";
}

void CreateStartSentinel(const Text& sentinel) {
  int32_t stream = fw_write_file(sentinel);
  if (stream != 0) fw_close_file(stream);
}

// A display may list a full-screen mode and still refuse it. Stopping there
// would stop every later start too, since Setup.ini keeps asking for full
// screen, so a window is opened in its place.
int32_t OpenWindowInstead(int32_t depth) {
  if (depth == 0) return 0;
  LogLine(u"\tFullscreen refused, opening a window : 800x600,0");
  AddNotice(u"Can't set to fullscreen in this resolution.", 1);
  return fw_open_graphics(800, 600, 0, 60, 0);
}

Text WindowFailureMessage() {
  Text message = u"Quill Retro: the 800x600 window could not be opened";
  const Text reason = fw_window_failure();
  if (!reason.empty()) message += u": " + reason;
  return message + u".";
}

void OpenWindow(const Text& sentinel) {
  ChosenModeWidth = 800;
  ChosenModeHeight = 600;
  int32_t depth = ChooseDepth();
  LogLine(u"\tResolution : " + rt_string_from_int(ChosenModeWidth) + u"x" +
          rt_string_from_int(ChosenModeHeight) + u"," + rt_string_from_int(depth));
  CreateStartSentinel(sentinel);
  // Nothing can be shown without a window, so the run ends there.
  if (fw_open_graphics(800, 600, depth, 60, 0) == 0 && OpenWindowInstead(depth) == 0) {
    EndWithError(WindowFailureMessage());
  }
  EngineSettings[kWideScreenSetting] = 0;
  VirtualWidth = 800;
  VirtualHeight = 600;
  fw_set_virtual_resolution(800, 600);
}

int32_t LoadFont(const Text& file, int32_t pixel_size) {
  return fw_load_image_font(file, pixel_size, 4);
}

void LoadFonts() {
  constexpr int32_t kTableSizes[14] = {0, 24, 16, 16, 20, 96, 72, 32, 32, 14, 112, 96, 32, 20};
  for (int32_t slot = 1; slot <= 13; ++slot) {
    rt_replace_handle(FontTable[slot],
                      LoadFont(slot <= 9 ? kMainFont : kTitleFont, kTableSizes[slot]));
  }
  constexpr int32_t kGridSizes[3][9] = {{12, 14, 16, 20, 24, 32, 40, 52, 64},
                                        {8, 10, 12, 18, 24, 32, 40, 52, 64},
                                        {8, 12, 18, 24, 32, 40, 52, 64, 96}};
  for (int32_t family = 1; family <= 3; ++family) {
    const Text& file = family <= 2 ? kMainFont : kTitleFont;
    for (int32_t size = 0; size <= 8; ++size) {
      rt_replace_handle(FontGrid[(family - 1) * 10 + size],
                        LoadFont(file, kGridSizes[family - 1][size]));
    }
  }
}

void ShowLoadingScreenWithJingle() {
  BeginFrame(1);
  DrawStripedBackdrop();
  ChannelTable[256] = fw_cue_sound(BadgeSound, 0);
  if (ChannelTable[256] != 0) {
    fw_set_channel_volume(ChannelTable[256], VolumeLevel(kSoundVolumeSetting));
    fw_resume_channel(ChannelTable[256]);
  }
  fw_flip(-1);
  CommonObjectsLoaded = 1;
}

void LoadSoundEffects() {
  LogLines({u"", u"Loading Sound effects"});
  for (int32_t n = 1; n <= 200; ++n) {
    Text name = fw_right(u"000" + rt_string_from_int(n), 3) + u".wav";
    if (fw_file_type(name) == 0) continue;
    LogLine(u"\tSFX(" + rt_string_from_int(n) + u")");
    rt_replace_handle(SoundEffects[n], fw_load_sound(name, 0));
  }
  LogLines({u"Sounds loaded", u""});
}

// When Files/Common/ is missing the loads run in Files/, which holds none of
// these names, so they stay unloaded.
void LoadFromCommonFolder() {
  FolderTrip trip;
  trip.Go(u"../");
  trip.Go(u"Common/");
  LogLine(u"\tDefault Fonts");
  LoadFonts();
  LogLine(u"\tDefault Icons");
  rt_replace_handle(IconStripSmooth, fw_load_anim_image(u"icons.png", 16, 16, 0, 64, 3));
  rt_replace_handle(IconStripSharp, fw_load_anim_image(u"icons.png", 16, 16, 0, 64, 1));
  LogLine(u"\tLogos");
  rt_replace_handle(LogoImage, fw_load_image(u"logo.png", 3));
  rt_replace_handle(SiteLogoImage, fw_load_image(u"Vantile.png", 3));
  LogLine(u"\tBadgeGet");
  rt_replace_handle(BadgeSound, fw_load_sound(u"open.ogg", 0));
  if (CommonObjectsLoaded == 0) ShowLoadingScreenWithJingle();
}

}  // namespace

void ApplyGraphicsSettings() {
  ListAcceptedModes();
  LogLines({u"", kDisplayRule, u"Applying Graphical Settings"});
  if (CommonObjectsLoaded == 1) {
    fw_close_graphics();
    LogLine(u"\tChanged Graphics Mode ingame.");
  }
  EngineSettings[kGraphicsEngineSetting] = 0;
  fw_set_graphics_driver(fw_gl_2d_driver(), 2);
  LogLine(u"\tUsing OpenGL Driver");
  const Text sentinel = StartSentinelPath();
  OpenWindow(sentinel);
  LoadCommonObjects();
  tool::SetUpSpriteTool();
  LogLine(kDisplayRule);
  fw_delete_file(sentinel);
}

void LoadCommonObjects() {
  fw_set_auto_mid_handle(1);
  LogLines({u"", u"Loading : Common Objects", u"", u"Switching to Default Folder", u""});
  LoadFromCommonFolder();
  LogLines({u"", u"Switching to Game Folder"});
  rt_replace_handle(BadgeImage, fw_load_anim_image(u"badges.png", 64, 64, 0, 16, 3));
  LoadSoundEffects();
  scores::LoadScoreFile();
}

}  // namespace engine
