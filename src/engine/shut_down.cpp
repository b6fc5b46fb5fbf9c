// Shutdown: saves, says goodbye on the closing screen and ends the process.
#include "engine.h"
#include "scores/scores.h"

namespace engine {
namespace {

void DrawClosingScreen() {
  fw_cls();
  BeginFrame(1);
  DrawStripedBackdrop();
  SetScaleXY(0.5f);
  fw_draw_image(LogoImage, 256.0f, 128.0f, 0);
  fw_draw_image(SiteLogoImage, float(VirtualWidth - 256), float(VirtualHeight - 128), 0);
  SetScaleXY(1.0f);
  SelectFont(1, 6);
  SetColourAlpha(180, 255, 255, 1);
  DrawTextAligned(VirtualWidth / 2, VirtualHeight / 2 - 24, u"Thanks for using", 1, 1);
  DrawTextAligned(VirtualWidth / 2, VirtualHeight / 2 + 24, u"this tool!", 1, 1);
  SelectFont(1, 4);
  SetColourAlpha(180, 255, 255, 1);
  DrawTextAligned(40, VirtualHeight - 40, u"Feedback is King", 0, 2);
  fw_flip(-1);
}

bool StopSignalled() { return fw_app_stop_signalled() != 0; }

// Every part is asked each time, so a close request that comes with the
// input that started the shutdown is used up in the first wait and only a
// new one ends the second. A stop signal ends both: no one may be there.
bool AnyInputHeld() {
  bool any_input = ScanAnyInput() > 0;
  bool buttons = fw_mouse_down(1) != 0;
  buttons = (fw_mouse_down(2) != 0) || buttons;
  bool alt_f4 = AltF4Held();
  bool close_request = fw_app_terminate_requested() != 0;
  return any_input || buttons || alt_f4 || close_request || StopSignalled();
}

void WaitForReleaseThenPress() {
  for (int32_t pass = 0; pass < 120 && !StopSignalled(); ++pass) {
    bool held = AnyInputHeld();
    rt_delay(16);
    if (!held) break;
  }
  while (!AnyInputHeld()) {
  }
}

}  // namespace

void ShutDown() {
  fw_show_mouse();
  WriteSetupIni();
  scores::SaveScoreFile();
  LogLines({u"Closing Up", u"", u"Bye!", u"", u"Play again, soon!!"});
  // Asked to stop by a signal, the program ends unseen and without a wait.
  if (!StopSignalled()) {
    DrawClosingScreen();
    WaitForReleaseThenPress();
  }
  fw_close_graphics();
  if (LogStream != 0) fw_close_file(LogStream);
  LogStream = 0;
  rt_end(0);
}

}  // namespace engine
