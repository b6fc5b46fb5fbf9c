// Start-up: the program's entry, from the empty process to the tool's loop.
#include <cstdio>

#include "engine.h"
#include "scores/scores.h"
#include "tool/tool.h"

namespace engine {

const Text TitleName = u"Quill Retro";
const Text TitleSubName = u"Sprite Tool";
Text WindowTitle;

int32_t EngineSettings[100] = {};
int32_t KeyMap[101] = {};
std::vector<Text> AudioDriverNames;
int32_t LogStream = 0;
int32_t MouseMode = 0;
int32_t PlayerCount = 0;
int32_t BadgeCount = 0;
int32_t PauseState = 0;
int32_t LevelBests[31] = {};

Text WeekFolderName() { return fw_right(u"000" + rt_string_from_int(WeekNumber), 3) + u"/"; }

namespace {

void ScanJoysticks() {
  JoyCount = fw_joy_count();
  if (JoyCount > 4) JoyCount = 4;
  for (int32_t j = 1; j <= JoyCount; ++j) {
    int32_t port = j - 1;
    JoyButtonMasks[j] = fw_joy_button_caps(port);
    JoyNames[j] = fw_joy_name(port);
    JoyRestX[j] = fw_joy_axis_x(port);
    JoyRestY[j] = fw_joy_axis_y(port);
    JoyRestZ[j] = fw_joy_axis_z(port);
    JoyRestU[j] = fw_joy_axis_u(port);
    JoyRestV[j] = fw_joy_axis_v(port);
    JoyRestR[j] = fw_joy_axis_r(port);
    JoyPresent[j] = 1;
    if (fw_joy_hat(port) == -1.0f) JoyHasHat[j] = 1;
  }
}

// Files/ and the week folder are the program's own, so a missing one is
// made; every later path is relative to them, and a run outside them would
// read and write wherever it happened to be.
void EnterOwnFolder(const Text& folder) {
  MakeOwnFolder(folder);
  if (fw_change_dir(folder) == 0) {
    EndWithError(u"Quill Retro: the folder " + folder + u" could not be made or entered in " +
                 fw_current_dir() + u".");
  }
}

void OpenLog() {
  EnterOwnFolder(u"Files/");
  LogStream = fw_write_file(u"Debug.txt");
  if (LogStream == 0)
    std::fputs("Debug.txt could not be created; running without a log.\n", stderr);
}

void WriteBanner() {
  const Text rule = u"----------------------------";
  LogLines({u"Ostravel's Brindlemoor Engine", rule, u"Week #" + rt_string_from_int(WeekNumber),
            rule, WindowTitle, rule, u"", u"Loading"});
}

void LogRequestedResolution() {
  LogLine(u"\tRequested Resolution : " + rt_string_from_int(EngineSettings[kWidthSetting]) + u"x" +
          rt_string_from_int(EngineSettings[kHeightSetting]));
  LogLines({u"\tSetup Loaded", u"", u"Grabbing Previous Scores", u""});
}

// Polls without sleeping so that the loading screen ends on time; the signed
// difference keeps the test right across the clock's wrap.
void HoldUntil(int32_t deadline) {
  while (wrap_sub(NowMillis(), deadline) < 0) {
  }
}

}  // namespace

void EndWithError(const Text& message) {
  std::fprintf(stderr, "%s\n", platform::ToUtf8(message).c_str());
  LogLine(message);
  if (LogStream != 0) fw_close_file(LogStream);
  LogStream = 0;
  rt_end(1);
}

void AppMain() {
  // The record types need no registration: C++ knows them at compile time.
  // Every table of the run starts at its start value: the window title, the
  // default settings and key bindings, the draw budget, the frame stamp.
  ResetRunState();
  fw_set_app_title(WindowTitle);
  fw_hide_mouse();
  ScanJoysticks();
  rt_gc_set_mode(0);
  scores::BuildDefaultScrambleKey();
  OpenLog();
  WriteBanner();
  AudioDriverNames = fw_audio_driver_names();
  int32_t driver_line_seen = ReadSetupIni();
  ChooseAndStartAudioDriver(driver_line_seen);
  LogRequestedResolution();
  EnterOwnFolder(WeekFolderName());
  int32_t t0 = NowMillis();
  ApplyGraphicsSettings();
  MouseMode = 1;
  PlayerCount = 4;
  BadgeCount = 16;
  PauseState = 0;
  for (int32_t& best : LevelBests) best = 0;
  LogLine(u"Finished Loading");
  HoldUntil(wrap_add(t0, 2500));
  tool::RunSpriteToolLoop();
  rt_end(0);
}

}  // namespace engine
