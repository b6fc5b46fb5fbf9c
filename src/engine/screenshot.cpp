// Screenshots on F11 and the file-name cleaner they share with the
// spritesheet builders.
#include "engine.h"

namespace engine {

namespace {

// Characters that file systems reject or treat specially, in removal order.
constexpr char16_t kUnsafeFileNameChars[] = u"#',`.\\/:|*?\"";

// Put on screen before the save, which can take a noticeable time at the
// strongest compression.
void ShowSavingMessage() {
  ResetDrawState();
  fw_set_image_font(FontTable[5]);
  DrawTextAligned(VirtualWidth / 2, VirtualHeight / 2 - 30, u"Saving Screenshot", 1, 1);
  fw_set_image_font(FontTable[6]);
  DrawTextAligned(VirtualWidth / 2, VirtualHeight / 2 + 30, u"Sometimes, this takes a while!", 1,
                  1);
  fw_flip(-1);
}

Text ScreenshotFileName() {
  return SanitiseFileName(TitleName + u" " + TitleSubName + u" (Screenshot_" + fw_current_date() +
                          u"_" + fw_current_time() + u")") +
         u".png";
}

// Saved in Files/, the week folder's parent; 1 when the file was written.
int32_t SaveScreenshot() {
  FolderTrip trip;
  const bool in_files = trip.Go(u"..") == 1;
  LogLine(u"\tGrabbing Screenshot");
  // Grabbed here in the hub, before the panel, overlay, pointer and notices
  // are drawn on top of the caller's frame.
  platform::PixmapRef shot = fw_grab_pixmap(0, 0, ChosenModeWidth, ChosenModeHeight);
  ShowSavingMessage();
  Text name = ScreenshotFileName();
  LogLine(u"\tSaving Screenshot : " + name);
  int32_t saved = in_files && shot ? fw_save_pixmap_png(shot, name, 9) : 0;
  LogLine(u"\tSaved Screenshot " + rt_string_from_int(saved));
  LogLine(u"");
  return saved;
}

}  // namespace

Text SanitiseFileName(const Text& text) {
  Text result = text;
  for (const char16_t* unsafe = kUnsafeFileNameChars; *unsafe != 0; ++unsafe) {
    result = fw_replace(result, Text(1, *unsafe), Text());
  }
  return result;
}

int32_t TakeScreenshot() {
  LogLine(u"");
  LogLine(u"\tScreenshot");
  const int32_t saved = SaveScreenshot();
  // A failed save must not be confirmed as a success.
  AddNotice(saved ? u"Saved Screenshot" : u"Screenshot failed", 1);
  return 0;
}

}  // namespace engine
