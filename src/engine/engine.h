// The engine core: start-up and shutdown, configuration, log, display and
// common assets, the end-of-frame hub, drawing helpers, options panel, speed
// test, input codes, text, date and bit helpers, badges and sound effects.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/platform.h"

namespace engine {

// ---------------------------------------------------------------------------
// Record types
// ---------------------------------------------------------------------------

// One notice line drawn by the hub until its 180th frame.
struct ment : platform::Object {
  int32_t tick = 0;
  Text txt;
  int32_t c = 0;
};

// One floating score number.
struct ore : platform::Object {
  int32_t n = 0;
  float x = 0.0f, y = 0.0f;
  int32_t t = 0;
  int32_t r = 0, g = 0, b = 0;
};

// ---------------------------------------------------------------------------
// Global state (created once at start-up, kept for the whole run)
// ---------------------------------------------------------------------------

constexpr int32_t WeekNumber = 1;
extern const Text TitleName;     // "Quill Retro"
extern const Text TitleSubName;  // "Sprite Tool"
extern Text WindowTitle;

// Start-up, configuration and log (start_up.cpp, setup_ini.cpp, log.cpp).
extern int32_t EngineSettings[100];
// The EngineSettings slots the program reads; no other slot is used. Full
// screen is 0 or 1; the graphics engine 0 OpenGL, 1 DirectX 9, 2 DirectX 7;
// the mode slots hold the chosen display mode's widescreen kind and index;
// the slow-system flag 1 turns frame skipping on; volumes run from 0 to 100;
// the audio driver indexes AudioDriverNames.
constexpr int32_t kFullScreenSetting = 1;
constexpr int32_t kWideScreenSetting = 2;
constexpr int32_t kGraphicsEngineSetting = 3;
constexpr int32_t kModeSetting = 4;
constexpr int32_t kWidthSetting = 5;
constexpr int32_t kHeightSetting = 6;
constexpr int32_t kSlowSystemSetting = 7;
constexpr int32_t kMasterVolumeSetting = 11;
constexpr int32_t kSoundVolumeSetting = 12;
constexpr int32_t kMusicVolumeSetting = 13;
constexpr int32_t kAudioDriverSetting = 14;
extern int32_t KeyMap[101];
// True for a run whose "Setup.ini" could not be read whole: its saves then
// leave the file as it is rather than put the defaults over the user's
// settings.
extern bool SetupIniUnread;
extern std::vector<Text> AudioDriverNames;
extern int32_t LogStream;
extern int32_t MouseMode;
extern int32_t PlayerCount;
extern int32_t BadgeCount;
extern int32_t PauseState;
extern int32_t LevelBests[31];

// Display set-up and common assets (display.cpp).
extern int32_t ModeWidths[2500];
extern int32_t ModeHeights[2500];
extern int32_t ModeCount;
extern int32_t ChosenModeWidth, ChosenModeHeight;
extern int32_t VirtualWidth, VirtualHeight;
extern int32_t CommonObjectsLoaded;
extern int32_t FontTable[20];
extern int32_t FontGrid[100];
extern int32_t IconStripSmooth, IconStripSharp;
extern int32_t LogoImage, SiteLogoImage;
extern int32_t BadgeSound, BadgeImage;

// Joysticks found at start-up, indexed 1 to 4 (input_codes.cpp).
extern int32_t JoyCount;
extern Text JoyNames[5];
extern int32_t JoyButtonMasks[5], JoyHasHat[5], JoyPresent[5];
extern float JoyRestX[5], JoyRestY[5], JoyRestZ[5], JoyRestR[5], JoyRestU[5], JoyRestV[5];

// End-of-frame hub (end_frame.cpp).
extern int32_t FrameSkipPhase;
extern int32_t OptionsOpen;
extern int32_t DebugOverlayOn;
extern int32_t LastFrameTime;
extern int32_t FramesPerSecond;
extern int32_t LastCollection;
extern int32_t FrameRateTarget;
extern int32_t MouseX, MouseY, PrevMouseX, PrevMouseY;
extern int32_t MouseHit1, MouseHit2;
extern float CameraX, CameraY;
extern platform::List<ment> NoticeList;
extern platform::List<ore> PopupList;

// Drawing helpers (draw_helpers.cpp).
extern int32_t DrawLimits[20];
extern int32_t DrawCounts[20];
extern float BackdropColour[3];
extern float BackdropTarget[3];

// Options panel (options_panel.cpp): its top edge, which rests at 0 open and
// a whole panel height above the screen closed.
extern int32_t OptionsPanelY;
constexpr int32_t kOptionsPanelClosedY = -300;
// Whose mouse press is held: none, the panel's (it began over the shown
// panel, and stays the panel's where the pointer has left it) or another's.
enum : int32_t { kNoPress = 0, kPanelPress = 1, kOtherPress = 2 };
extern int32_t OptionsPanelHoldsPress;

// Text entry (text_entry.cpp).
extern int32_t BackspaceRepeat;
extern Text PlayerName;

// Badges and sound effects (sound_effects.cpp).
extern int32_t ChannelTable[260];
extern float ChannelLevels[260];
extern int32_t SoundEffects[201];
extern Text BadgeNames[16];
extern int32_t BadgeMask;
extern int32_t SfxChannelCursor;
extern int32_t TrackChannel;

// ---------------------------------------------------------------------------
// Start-up, configuration file, log and shutdown
// ---------------------------------------------------------------------------

[[noreturn]] void AppMain();
// Puts the globals of every subsystem back to their values at the start of
// a run. The engine's: empty tables and lists, the default settings and key
// bindings, the window title, the full draw budget, the backdrop's start
// colour and a frame stamp taken now. Start-up begins with it.
void ResetRunState();
void LogLine(const Text& text);
void LogLines(std::initializer_list<Text> lines);
// Logs that the file `name`, which the program reads and writes back, could
// not be read and is left as it is.
void LogFileLeftUnread(const Text& name);
void WriteSetupIni();
[[noreturn]] void ShutDown();
// The week folder's name relative to Files/: "001/" for week 1.
Text WeekFolderName();
// Ends the run with `message` on the error output and in the log, and a
// failing exit code: for what leaves the program nothing sound to do.
[[noreturn]] void EndWithError(const Text& message);

// Makes a folder of the program's own when nothing of that name is there.
inline void MakeOwnFolder(const Text& folder) {
  if (fw_file_type(folder) == 0) fw_create_dir(folder);
}

// A trip out of the week folder, which is current when the trip begins. It
// notes the week folder's full path and comes back by it when it ends, so a
// folder missing on the way can never leave the run somewhere else.
class FolderTrip {
 public:
  FolderTrip() : week_folder_(fw_current_dir()) {}
  ~FolderTrip() { fw_change_dir(week_folder_); }
  FolderTrip(const FolderTrip&) = delete;
  FolderTrip& operator=(const FolderTrip&) = delete;
  // One folder change on the way; 1 when it was made.
  int32_t Go(const Text& folder) { return fw_change_dir(folder); }
  // As Go, into one of the program's own folders, made first when it is
  // missing; a file in its place stays, and the change fails.
  int32_t GoIntoOwnFolder(const Text& folder) {
    MakeOwnFolder(folder);
    return Go(folder);
  }

 private:
  Text week_folder_;
};

// Reads "Setup.ini" from the current folder into EngineSettings and KeyMap;
// 1 when it held an "AUDIODRIVER" line, which stops the default choice.
int32_t ReadSetupIni();
// Handles one line of "Setup.ini"; sets driver_line_seen on "AUDIODRIVER".
void ReadSetupLine(const Text& line, int32_t& driver_line_seen);
// Picks the default driver when no "AUDIODRIVER" line was seen, then starts
// the chosen one.
void ChooseAndStartAudioDriver(int32_t driver_line_seen);

// ---------------------------------------------------------------------------
// Display set-up and common assets
// ---------------------------------------------------------------------------

void ApplyGraphicsSettings();
void LoadCommonObjects();

// ---------------------------------------------------------------------------
// End-of-frame hub, notices and score pop-ups
// ---------------------------------------------------------------------------

int32_t EndFrame(int32_t frame_rate, int32_t unused, int32_t show_pointer);
// Whether the hub shows the current frame: always, but in slow-system mode
// only every other one. The frame-gated keys, the flip and the glow draws
// happen on shown frames only.
bool FrameShown();
int32_t AddNotice(const Text& text, int32_t colour);
int32_t SpawnScorePopup(int32_t n, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
int32_t UpdateScorePopups();

// ---------------------------------------------------------------------------
// Pause screen and screenshots
// ---------------------------------------------------------------------------

int32_t TakeScreenshot();
int32_t PauseScreen();
Text SanitiseFileName(const Text& text);

// ---------------------------------------------------------------------------
// Drawing helpers and draw budget
// ---------------------------------------------------------------------------

// Values of omitted arguments, compared exactly.
constexpr float kSameScale = -37171648.0f;
constexpr float kKeepAlpha = 37171648.0f;

int32_t ResetDrawState();
int32_t SetBlendKind(int32_t kind);
int32_t SetColourAlpha(float r, float g, float b, float alpha = kKeepAlpha);
int32_t SetScaleXY(float sx, float sy = kSameScale);
int32_t SetAngle(float angle);
int32_t ClampInt(int32_t value, int32_t lo, int32_t hi);
float ClampFloat(float value, float lo, float hi);
int32_t SelectFont(int32_t family, int32_t size);
int32_t DrawTextAligned(int32_t x, int32_t y, const Text& text, int32_t h, int32_t v);
int32_t DrawStripedBackdrop();
int32_t BeginFrame(int32_t clear);
int32_t DrawSpriteCounted(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t slot);
int32_t DrawGlowSprite(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t glow_image,
                       float glow_scale, float glow_alpha);
int32_t DrawGlowSpriteB(int32_t image, int32_t x, int32_t y, int32_t frame, int32_t glow_image,
                        float glow_scale, float glow_alpha);
int32_t MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h);
int32_t PrevMouseInRect(int32_t x, int32_t y, int32_t w, int32_t h);

// ---------------------------------------------------------------------------
// Options panel
// ---------------------------------------------------------------------------

int32_t OptionsMenuFrame();
int32_t SettingChooserRow(int32_t index, int32_t x, int32_t y, int32_t icon_base, const Text& o1,
                          const Text& o2, const Text& o3, const Text& o4, const Text& o5,
                          const Text& o6);
int32_t VolumeSlider(int32_t value, int32_t x, int32_t y, const Text& label);
int32_t KeyBindingRow(int32_t key_index, int32_t x, int32_t y);
// Whether the options panel has the pointer: the panel as it shows lies under
// it, or a press that met the panel is still held. What lies beneath the
// panel then sees neither the pointer nor a press.
bool OptionsPanelHasPointer();

// ---------------------------------------------------------------------------
// Engine speed test
// ---------------------------------------------------------------------------

int32_t RunEngineTest(int32_t target, int32_t sprite_scale);

// ---------------------------------------------------------------------------
// Input codes and key names
// ---------------------------------------------------------------------------

Text KeyCodeName(int32_t code);
int32_t ScanAnyInput();
int32_t InputCodeDown(int32_t code);
int32_t ControlDown(int32_t control, int32_t player);
// F4 held together with either Alt key: the quit keys of the hub and of the
// closing screen.
bool AltF4Held();

// ---------------------------------------------------------------------------
// Text helpers and text entry
// ---------------------------------------------------------------------------

Text SplitField(const Text& text, const Text& sep, int32_t n, int32_t mode);
Text KeyOfPair(const Text& text);
Text ValueOfPair(const Text& text);
int32_t HexToInt(const Text& text);
Text ShuffleString(const Text& text);
Text ScrambleForward(const Text& text);
Text ScrambleBackward(const Text& text);
Text RunLengthEncode(const Text& text);
Text RunLengthDecode(const Text& text);
Text EditTextField(const Text& text);
int32_t RunNameEntryDialog();
Text FormatThousands(int32_t n, const Text& prefix);

// ---------------------------------------------------------------------------
// Dates, times and bits
// ---------------------------------------------------------------------------

int32_t NowMillis();
int64_t MakeTimestamp(const Text& date = Text());
Text FormatTimeOfDay(int64_t timestamp);
Text FormatDate(int64_t timestamp);
Text FormatDuration(int32_t ms, int32_t show_seconds, int32_t show_minutes, int32_t show_hours);
int32_t DayNumberOfDate(const Text& date);
int32_t DaysInMonth(const Text& date);
Text MonthName(int32_t month, int32_t long_form);
int32_t BitIsSet(int32_t value, int32_t n);
int32_t SetBit(int32_t value, int32_t n, int32_t bit);

// ---------------------------------------------------------------------------
// Badges and sound effects
// ---------------------------------------------------------------------------

// A channel's volume from a volume setting (kSoundVolumeSetting or
// kMusicVolumeSetting): its wrapping integer product with the master volume,
// divided as a float by 100 and then by `divisor` (200 gives half volume).
float VolumeLevel(int32_t setting, float divisor = 100.0f);
void PlaySfx(int32_t index, float rate, float volume, float pan);
void AwardBadge(int32_t n);
void PlaySoundAtVolume(int32_t sound);

}  // namespace engine
