// Whole runs of the program on the scripted host, in a temporary run folder.
#include <gtest/gtest.h>

#include "platform/internal.h"
#include "run/run_folder.h"
#include "tool/tool.h"

namespace {

using platform::InputEvent;
using run_test::Key;
using run_test::RunFolder;

std::vector<std::string> Utf8(const std::vector<Text>& texts) {
  std::vector<std::string> out;
  for (const Text& text : texts) out.push_back(platform::ToUtf8(text));
  return out;
}

class AppRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // Quiet audio back ends: a test machine need not have a sound card.
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    host_.clock_step_per_read = 1;
  }
  RunFolder folder_;
  platform::ScriptedHost& host_ = platform::UseScriptedHost();
};

TEST_F(AppRun, StartsLogsHoldsTheLoadingScreenRunsFramesAndQuitsOnAltF4) {
  folder_.Write("Files/001/crash.dat", {});
  run_test::QuitWithAltF4(host_);
  auto loop_started_at = std::make_shared<uint32_t>(0);
  auto quit_present = host_.on_present;
  host_.on_present = [=](platform::ScriptedHost& h, int32_t presents) {
    if (*loop_started_at == 0 && engine::MouseMode == 1) *loop_started_at = h.Millisecs();
    quit_present(h, presents);
  };
  EXPECT_EQ(run_test::RunAppMain(), 0);

  auto log = folder_.Lines("Files/Debug.txt");
  const std::vector<std::string> banner = {"Ostravel's Brindlemoor Engine",
                                           "----------------------------",
                                           "Week #1",
                                           "----------------------------",
                                           "#1 : Quill Retro Sprite Tool",
                                           "----------------------------",
                                           "",
                                           "Loading"};
  ASSERT_GE(log.size(), banner.size());
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 8), banner);
  EXPECT_EQ(run_test::MissingInOrder(
                log, {"Loading", "Setting Audio Driver", "Set Audio Driver", "",
                      "\tRequested Resolution : 800x600", "\tSetup Loaded", "",
                      "Grabbing Previous Scores", "", "", "-=-=-=-=-=-=-=-=-=-=-=-=-=-",
                      "Applying Graphical Settings", "\tUsing OpenGL Driver",
                      "\tResolution : 800x600,0", "Loading : Common Objects", "Sounds loaded",
                      "-=-=-=-=-=-=-=-=-=-=-=-=-=-", "Finished Loading", "Closing Up"}),
            "");
  EXPECT_EQ(std::count(log.begin(), log.end(), "\tReading Setup File"), 0);
  const std::vector<std::string> farewell = {"Closing Up", "", "Bye!", "", "Play again, soon!!"};
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), farewell);

  // The loading screen stays up until 2500 ms after the display set-up began.
  EXPECT_GE(*loop_started_at, 1000u + 2500u);
  EXPECT_FALSE(folder_.Exists("Files/001/crash.dat"));
  EXPECT_EQ(host_.caption, "#1 : Quill Retro Sprite Tool");
  EXPECT_TRUE(host_.cursor_shown);
  EXPECT_FALSE(host_.WindowOpen());

  // The speed test may judge the virtual clock a slow system.
  std::vector<std::string> expected = {"[Graphics]", "Fullscreen = False", "GFX Engine = OpenGL",
                                       "Width=800", "Height=600"};
  if (engine::EngineSettings[engine::kSlowSystemSetting] == 1) {
    expected.push_back(
        "ESS=1 ; This is a slow system, and things must run a wee bit slower for it.  Awww..");
  }
  for (const char* line : {"", "[Audio]", "Master = 50", "Sound = 50", "Music = 50"}) {
    expected.push_back(line);
  }
  const auto& drivers = engine::AudioDriverNames;
  expected.push_back(
      "AudioDriver = " +
      platform::ToUtf8(drivers[size_t(engine::EngineSettings[engine::kAudioDriverSetting])]));
  for (const std::string& name : Utf8(engine::AudioDriverNames)) {
    expected.push_back("; AudioDriver = " + name);
  }
  for (const char* line : {"", "[Controls]", "Key=0,38", "Key=3,37", "Key=5,39", "Key=8,40",
                           "Key=10,90", "Key=11,88", "Key=12,67", "Key=13,86"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(folder_.Lines("Files/Setup.ini"), expected);
}

TEST_F(AppRun, SetupIniEdgeCasesReachTheSettingsAndTheNextFile) {
  ASSERT_FALSE(fw_audio_driver_names().empty());
  std::string wrong_case = platform::ToUtf8(fw_lower(fw_audio_driver_names().back()));
  folder_.Write(
      "Files/Setup.ini",
      {"[Graphics]", "Width=640", "width = 1024px", "HEIGHT = 768", "GFX Engine = DX7", "ESS=0",
       "[Controls]", "Key=-7,65", "Key=100,65", "AudioDriver = " + wrong_case, "nonsense", "= 5"});
  run_test::QuitWithAltF4(host_);
  EXPECT_EQ(run_test::RunAppMain(), 0);
  auto log = folder_.Lines("Files/Debug.txt");
  EXPECT_EQ(
      run_test::MissingInOrder(log, {"\tReading Setup File", "\tDirectX 7 Mode",
                                     "\tAssuming Emergency Slow System values.",
                                     "Setting Audio Driver", "\tRequested Resolution : 1024x768"}),
      "");
  // A driver line naming no driver stops the default choice: driver 0 runs.
  EXPECT_EQ(engine::EngineSettings[engine::kAudioDriverSetting], 0);
  EXPECT_EQ(engine::EngineSettings[engine::kGraphicsEngineSetting], 0);
  EXPECT_EQ(engine::KeyMap[7], 65);
  auto file = folder_.Lines("Files/Setup.ini");
  EXPECT_EQ(file[2], "GFX Engine = OpenGL");
  EXPECT_EQ(file[3], "Width=1024");
  EXPECT_EQ(file[4], "Height=768");
  EXPECT_EQ(std::count(file.begin(), file.end(), "Key=7,65"), 1);
  EXPECT_EQ(std::count(file.begin(), file.end(), "Key=100,65"), 0);
  EXPECT_EQ(std::count(file.begin(), file.end(),
                       "AudioDriver = " + platform::ToUtf8(engine::AudioDriverNames[0])),
            1);
}

TEST_F(AppRun, ASecondRunInOneProcessStartsFromTheStartValuesAgain) {
  folder_.Write("Files/Setup.ini", {"Width=1024", "Height=768", "ESS=1", "Master=7", "Key=7,65"});
  run_test::QuitWithAltF4(host_);
  ASSERT_EQ(run_test::RunAppMain(), 0);
  engine::AddNotice(u"Left behind", 0);
  tool::ToolSettings[20] = 16;

  std::filesystem::remove(folder_.Path("Files/Setup.ini"));
  std::filesystem::current_path(folder_.Path(""));
  auto& again = platform::UseScriptedHost();
  again.clock_step_per_read = 1;
  bool first_frame_seen = false;
  run_test::QuitWithAltF4(again);
  auto quit = again.on_present;
  again.on_present = [&](platform::ScriptedHost& h, int32_t presents) {
    if (engine::MouseMode == 1 && !first_frame_seen) {
      first_frame_seen = true;
      engine::NoticeList.ForEach(
          [](const auto& notice) { EXPECT_NE(notice->txt, u"Left behind"); });
      EXPECT_EQ(tool::ToolSettings[20], 0);
    }
    quit(h, presents);
  };
  ASSERT_EQ(run_test::RunAppMain(), 0);
  EXPECT_TRUE(first_frame_seen);
  auto file = folder_.Lines("Files/Setup.ini");
  ASSERT_GE(file.size(), 5u);
  EXPECT_EQ(file[3], "Width=800");
  EXPECT_EQ(std::count(file.begin(), file.end(), "Master = 50"), 1);
  EXPECT_EQ(std::count(file.begin(), file.end(), "Key=7,65"), 0);
}

TEST_F(AppRun, ARunWhoseInputRanOutFailsInsteadOfSpinningInTheToolsLoop) {
  host_.on_present = [](platform::ScriptedHost& h, int32_t) {
    if (engine::MouseMode == 1) h.idle_frame_limit = 100;
  };
  EXPECT_THROW(run_test::RunAppMain(), platform::ScriptRanOut);
}

TEST_F(AppRun, ACloseRequestWithTheButtonHeldWaitsForTheReleaseThenANewPress) {
  InputEvent close{InputEvent::kQuit};
  run_test::QuitWith(host_, {close, Key(InputEvent::kMouseDown, 1)},
                     {Key(InputEvent::kMouseUp, 1)});
  auto delays_after_quit = std::make_shared<int32_t>(0);
  auto release = host_.on_delay;
  host_.on_delay = [=](platform::ScriptedHost& h, int32_t ms) {
    if (ms == 16) ++*delays_after_quit;
    release(h, ms);
  };
  EXPECT_EQ(run_test::RunAppMain(), 0);
  EXPECT_EQ(*delays_after_quit, 2);  // held once, then released
  EXPECT_EQ(folder_.Lines("Files/Debug.txt").back(), "Play again, soon!!");
}

// No one may be there to press the key the closing screen waits for.
TEST_F(AppRun, AStopSignalEndsTheClosingScreensWaitForAKey) {
  run_test::QuitWithAltF4(host_, 3, [](platform::ScriptedHost&) { platform::NoteStopSignal(); });
  EXPECT_EQ(run_test::RunAppMain(), 0);
  EXPECT_EQ(folder_.Lines("Files/Debug.txt").back(), "Play again, soon!!");
  platform::ResetStopSignal();
}

TEST_F(AppRun, ALogThatCannotBeCreatedDoesNotStopTheRun) {
  std::filesystem::create_directories(folder_.Path("Files/Debug.txt"));
  run_test::QuitWithAltF4(host_);
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_test::RunAppMain(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Debug.txt"), std::string::npos);
  EXPECT_TRUE(folder_.Exists("Files/Setup.ini"));
}

TEST_F(AppRun, AWindowThatCannotOpenEndsWithAMessageAndAFailingCode) {
  host_.fail_open_window = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_test::RunAppMain(), 1);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("window could not be opened"), std::string::npos);
  auto log = folder_.Lines("Files/Debug.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("window could not be opened"), std::string::npos);
}

}  // namespace
