// Where every test case starts: the platform as a new process finds it, on a
// fresh scripted host, and the globals of the engine, the tool, the
// sequencer and the scores at their start values, so that no case sees what
// another one left behind, whatever order the cases run in.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/platform.h"

inline platform::ScriptedHost& FreshStart() {
  platform::ScriptedHost& host = platform::UseScriptedHost();
  engine::ResetRunState();
  return host;
}

// The fixture of cases that need nothing more than a fresh start.
class FreshStartTest : public ::testing::Test {
 protected:
  void SetUp() override { host_ = &FreshStart(); }
  platform::ScriptedHost* host_ = nullptr;
};
