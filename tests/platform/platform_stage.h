// Cases of the platform layer start as a new process does: with the
// platform's state reset, on a fresh scripted host or on the SDL host.
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace platform_stage {

class PlatformCase : public ::testing::Test {
 protected:
  void SetUp() override { host_ = &platform::UseScriptedHost(); }
  platform::ScriptedHost* host_ = nullptr;
};

// A scripted host that can show its last frame again, as the SDL host can,
// so that a frame which repeats the one on screen is not presented.
class KeepingHost : public platform::ScriptedHost {
 public:
  bool ShowAgain() override {
    ++shown_again;
    return true;
  }
  int32_t shown_again = 0;
};

inline void UseSdlHost() {
  platform::ResetPlatformState();
  platform::InstallHost(platform::MakeSdlHost());
}

}  // namespace platform_stage
