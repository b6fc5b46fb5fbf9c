// The engine's globals, and with them every subsystem's, as a run starts with
// them: start-up begins by putting them there, and so does every test case,
// so that none sees another's.
#include <algorithm>

#include "engine.h"
#include "scores/scores.h"
#include "sequencer/sequencer.h"
#include "tool/tool.h"

namespace engine {
namespace {

void ResetConfiguration() {
  std::ranges::fill(EngineSettings, 0);
  EngineSettings[kWidthSetting] = 800;
  EngineSettings[kHeightSetting] = 600;
  EngineSettings[kMasterVolumeSetting] = EngineSettings[kSoundVolumeSetting] =
      EngineSettings[kMusicVolumeSetting] = 50;
  constexpr int32_t kDefaultBindings[][2] = {{0, 38},  {3, 37},  {5, 39},  {8, 40},
                                             {10, 90}, {11, 88}, {12, 67}, {13, 86}};
  std::ranges::fill(KeyMap, 0);
  for (const auto& binding : kDefaultBindings) KeyMap[binding[0]] = binding[1];
  AudioDriverNames.clear();
  SetupIniUnread = false;
  LogStream = 0;
}

// The window title, and what start-up sets once the display is up, which
// starts at 0.
void ResetTitleAndRunValues() {
  WindowTitle = u"#" + rt_string_from_int(WeekNumber) + u" : " + TitleName + u" " + TitleSubName;
  MouseMode = PlayerCount = BadgeCount = PauseState = 0;
  std::ranges::fill(LevelBests, 0);
}

void ResetDisplay() {
  std::ranges::fill(ModeWidths, 0);
  std::ranges::fill(ModeHeights, 0);
  ModeCount = 0;
  ChosenModeWidth = VirtualWidth = 800;
  ChosenModeHeight = VirtualHeight = 600;
  CommonObjectsLoaded = 0;
  std::ranges::fill(FontTable, 0);
  std::ranges::fill(FontGrid, 0);
  IconStripSmooth = IconStripSharp = LogoImage = SiteLogoImage = BadgeSound = BadgeImage = 0;
}

void ResetJoysticks() {
  JoyCount = 0;
  std::ranges::fill(JoyNames, Text());
  for (int32_t* table : {JoyButtonMasks, JoyHasHat, JoyPresent}) std::fill_n(table, 5, 0);
  for (float* rest : {JoyRestX, JoyRestY, JoyRestZ, JoyRestR, JoyRestU, JoyRestV}) {
    std::fill_n(rest, 5, 0.0f);
  }
}

void ResetHub() {
  FrameSkipPhase = OptionsOpen = 0;
  DebugOverlayOn = 1;
  LastFrameTime = NowMillis();
  FramesPerSecond = LastCollection = 0;
  FrameRateTarget = 60;
  MouseX = MouseY = PrevMouseX = PrevMouseY = MouseHit1 = MouseHit2 = 0;
  CameraX = CameraY = 0.0f;
  NoticeList.Clear();
  PopupList.Clear();
  OptionsPanelY = kOptionsPanelClosedY;
  OptionsPanelHoldsPress = kNoPress;
}

void ResetDrawing() {
  std::ranges::fill(DrawLimits, 0);
  DrawLimits[1] = DrawLimits[2] = 50000;
  std::ranges::fill(DrawCounts, 0);
  constexpr float kBackdropStart[3] = {1.0f, 0.0f, 0.2f};
  std::ranges::copy(kBackdropStart, BackdropColour);
  std::ranges::copy(kBackdropStart, BackdropTarget);
}

void ResetTextEntry() {
  BackspaceRepeat = 0;
  PlayerName = u"Player";
}

void ResetSound() {
  std::ranges::fill(ChannelTable, 0);
  std::ranges::fill(ChannelLevels, 0.0f);
  std::ranges::fill(SoundEffects, 0);
  std::ranges::fill(BadgeNames, Text());
  BadgeMask = 0;
  SfxChannelCursor = 20;  // the first slot of the effect pool
  TrackChannel = 0;
}

void ResetEngineState() {
  ResetConfiguration();
  ResetTitleAndRunValues();
  ResetDisplay();
  ResetJoysticks();
  ResetHub();
  ResetDrawing();
  ResetTextEntry();
  ResetSound();
}

}  // namespace

void ResetRunState() {
  ResetEngineState();
  tool::ResetToolState();
  sequencer::ResetSequencerState();
  scores::ResetScoresState();
}

}  // namespace engine
