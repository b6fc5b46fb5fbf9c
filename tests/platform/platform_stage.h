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

inline void UseSdlHost() {
  platform::ResetPlatformState();
  platform::InstallHost(platform::MakeSdlHost());
}

}  // namespace platform_stage
