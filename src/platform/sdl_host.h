// The SDL2 host: the real window, events, joysticks, clock and audio device.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform.h"

namespace platform {

// The Windows virtual-key code of a key by its position on the keyboard
// (sdl_keys.cpp); 0 for keys without one.
int32_t VirtualKeyFromScancode(SDL_Scancode scancode);
// The same, refined by the layout and the NumLock state the way Windows
// reports them (the ISO key left of Return typing '#', the keypad with
// NumLock off).
int32_t VirtualKeyFromKeysym(const SDL_Keysym& keysym);
// An SDL hat position as a fraction of a turn from up, -1 when centred.
float HatFraction(Uint8 hat);

// The frame on screen, kept to tell which rows of the next one differ.
class ShownFrame {
 public:
  // Rows [first, end) of a frame that differ from the one held; every row
  // when the size changed or nothing is held. The frame is then held.
  struct Rows {
    int32_t first = 0, end = 0;
    bool Empty() const { return first >= end; }
  };
  Rows Take(const uint32_t* pixels, int32_t width, int32_t height);
  bool Empty() const { return pixels_.empty(); }
  // The screen lost what it showed: the next frame differs in every row.
  void Forget();

 private:
  bool RowEqual(const uint32_t* pixels, int32_t row) const;
  std::vector<uint32_t> pixels_;
  int32_t width_ = 0, height_ = 0;
};

class SdlHost : public Host {
 public:
  SdlHost();
  ~SdlHost() override;

  uint32_t Millisecs() override;
  void Delay(int32_t ms) override;
  [[noreturn]] void EndProcess(int32_t code) override;

  std::vector<DisplayMode> DisplayModes() override;
  bool OpenWindow(int32_t width, int32_t height, bool fullscreen, int32_t depth,
                  const std::string& caption_utf8) override;
  void CloseWindow() override;
  bool WindowOpen() const override { return window_ != nullptr; }
  std::string WindowFailure() const override { return failure_; }
  void SetCaption(const std::string& caption_utf8) override;
  void ShowCursor(bool show) override;
  void Present(const uint32_t* pixels, int32_t width, int32_t height) override;
  bool ShowAgain() override;
  void WindowToVirtual(float wx, float wy, int32_t vw, int32_t vh, float& vx, float& vy) override;
  void PumpEvents(std::vector<InputEvent>& out) override;

  // Frames actually handed to the renderer: a frame equal to the one shown
  // is skipped unless the window system asked for a repaint.
  int32_t FramesShown() const { return frames_shown_; }

  int32_t JoystickCount() override;
  JoystickState Joystick(int32_t port) override;

  bool OpenAudio(AudioBackend backend, int32_t rate, AudioCallback callback) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;

 private:
  // Window (sdl_host.cpp).
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int32_t texture_width_ = 0, texture_height_ = 0;
  std::string caption_;
  bool cursor_shown_ = true;
  ShownFrame shown_;
  bool repaint_ = false;
  int32_t frames_shown_ = 0;
  // Pumping the window system is costly and the frame code asks many times
  // a frame: its queue is read at most once per millisecond.
  bool pumped_ = false;
  Uint32 last_pump_ = 0;
  bool EnsureTexture(int32_t width, int32_t height);
  void Show();
  void NoteWindowEvent(const SDL_WindowEvent& window);
  // The code each held key went down with, so that its release matches
  // even if the layout or NumLock changed in between.
  Uint8 key_codes_down_[SDL_NUM_SCANCODES] = {};
  bool EnsureVideo();
  // Notes why the window could not be opened; false.
  bool Fail(const std::string& why);
  std::string failure_;
  bool EnsureJoysticks();
  void CloseJoysticks();
  // Closes the audio device, the window and the joysticks, then SDL itself.
  void ShutDownSdl();
  void TranslateKey(const SDL_KeyboardEvent& key, std::vector<InputEvent>& out);
  std::vector<SDL_Joystick*> joysticks_;
  // Audio device (sdl_audio.cpp).
  SDL_AudioDeviceID audio_device_ = 0;
  AudioCallback audio_callback_;
  static void AudioTrampoline(void* self, Uint8* stream, int len);
};

}  // namespace platform
