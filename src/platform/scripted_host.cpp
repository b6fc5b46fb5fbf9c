// The host for tests: nothing here touches the OS.
#include <algorithm>
#include <string>

#include "platform.h"

namespace platform {

ScriptedHost::ScriptedHost() = default;
ScriptedHost::~ScriptedHost() = default;

void ScriptedHost::QueueAtFrame(int32_t presents, const InputEvent& event) {
  queued_.emplace_back(presents, event);
}

void ScriptedHost::Delay(int32_t ms) {
  if (ms > 0) clock_ += static_cast<uint32_t>(ms);
  if (on_delay) on_delay(*this, ms);
}

void ScriptedHost::EndProcess(int32_t code) { throw ProcessEnded{code}; }

bool ScriptedHost::OpenWindow(int32_t width, int32_t height, bool full, int32_t depth,
                              const std::string& caption_utf8) {
  if (fail_open_window || (full && refuse_fullscreen)) return false;
  window_open_ = true;
  fullscreen = full;
  window_width = width;
  window_height = height;
  window_depth = depth;
  caption = caption_utf8;
  ++windows_opened;
  return true;
}

void ScriptedHost::Present(const uint32_t* pixels, int32_t width, int32_t height) {
  last_frame_.assign(pixels, pixels + size_t(width) * size_t(height));
  ++presented_;
  if (on_present) on_present(*this, presented_);
  CountIdleFrame();
}

// Events queued for later frames keep a run going: the script still has
// something to say.
void ScriptedHost::CountIdleFrame() {
  idle_polls_ = 0;
  idle_frames_ = queued_.empty() ? idle_frames_ + 1 : 0;
  if (idle_frame_limit > 0 && idle_frames_ > idle_frame_limit) {
    throw ScriptRanOut("the scripted input ran out: " + std::to_string(idle_frame_limit) +
                       " frames were shown after the last event and the run still goes on");
  }
}

void ScriptedHost::CountIdlePoll(bool delivered) {
  if (delivered) {
    idle_frames_ = idle_polls_ = 0;
    return;
  }
  if (idle_poll_limit > 0 && ++idle_polls_ > idle_poll_limit) {
    throw ScriptRanOut("the scripted input ran out: the input was polled " +
                       std::to_string(idle_poll_limit) +
                       " times without a frame or an event, and the run still waits");
  }
}

void ScriptedHost::WindowToVirtual(float wx, float wy, int32_t vw, int32_t vh, float& vx,
                                   float& vy) {
  // The drawing space is stretched over the whole window, as on the SDL host.
  vx = window_width > 0 ? wx * float(vw) / float(window_width) : wx;
  vy = window_height > 0 ? wy * float(vh) / float(window_height) : wy;
}

void ScriptedHost::PumpEvents(std::vector<InputEvent>& out) {
  auto due = [this](const std::pair<int32_t, InputEvent>& q) { return q.first <= presented_; };
  const size_t before = out.size();
  for (const auto& q : queued_)
    if (due(q)) out.push_back(q.second);
  queued_.erase(std::remove_if(queued_.begin(), queued_.end(), due), queued_.end());
  CountIdlePoll(out.size() > before);
}

JoystickState ScriptedHost::Joystick(int32_t port) {
  if (port < 0 || port >= JoystickCount()) return {};
  return joysticks[size_t(port)];
}

bool ScriptedHost::OpenAudio(AudioBackend backend, int32_t rate, AudioCallback callback) {
  audio_backend = backend;
  audio_rate = rate;
  audio_ = std::move(callback);
  return true;
}

void ScriptedHost::CloseAudio() {
  audio_ = nullptr;
  audio_rate = 0;
}

std::vector<float> ScriptedHost::RenderAudio(int32_t frames) {
  std::vector<float> out(size_t(frames) * 2, 0.0f);
  if (audio_ && frames > 0) audio_(out.data(), frames);
  return out;
}

}  // namespace platform
