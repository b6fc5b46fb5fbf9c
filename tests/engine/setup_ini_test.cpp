// Reading and writing "Setup.ini", and the audio driver choice.
#include <gtest/gtest.h>

#include <set>

#include "engine/engine.h"
#include "fresh_start.h"
#include "full_disk.h"
#include "run/run_folder.h"

namespace {

using namespace engine;

const std::vector<Text> kLinuxDrivers = {u"OpenAL", u"FreeAudio", u"FreeAudio Multimedia", u"Null"};

int32_t Read(const char16_t* line) {
  int32_t seen = 0;
  ReadSetupLine(line, seen);
  return seen;
}

class SetupIniReader : public FreshStartTest {};
class SetupIniDriverChoice : public FreshStartTest {};

TEST_F(SetupIniReader, NumbersTakeLeadingDigitsAndLoseTheirSign) {
  Read(u"width = 1024px");
  EXPECT_EQ(EngineSettings[kWidthSetting], 1024);
  Read(u"Width=-640");
  EXPECT_EQ(EngineSettings[kWidthSetting], 640);
  Read(u"Width=abc");
  EXPECT_EQ(EngineSettings[kWidthSetting], 0);
  Read(u"WIDTH=320");
  Read(u"Width=1280");  // the last line for a key wins
  EXPECT_EQ(EngineSettings[kWidthSetting], 1280);
  Read(u"Height = 720");
  Read(u"Master=-5");
  Read(u"Sound=400");
  Read(u"music=7");
  EXPECT_EQ(EngineSettings[kHeightSetting], 720);
  EXPECT_EQ(EngineSettings[kMasterVolumeSetting], 5);
  EXPECT_EQ(EngineSettings[kSoundVolumeSetting], 400);  // no range test
  EXPECT_EQ(EngineSettings[kMusicVolumeSetting], 7);
  Read(u"Width=-2147483648");  // no positive twin: stays as read
  EXPECT_EQ(EngineSettings[kWidthSetting], INT32_MIN);
}

TEST_F(SetupIniReader, FlagsAndEngines) {
  Read(u"Fullscreen = yes");
  Read(u"Fullscreen = False");
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 0);
  Read(u"Fullscreen = on");
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 1);
  Read(u"Fullscreen = False");  // never clears it
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 1);
  Read(u"GFX Engine = DX9");
  EXPECT_EQ(EngineSettings[kGraphicsEngineSetting], 1);
  Read(u"GFXEngine=dx7");
  EXPECT_EQ(EngineSettings[kGraphicsEngineSetting], 2);
  Read(u"GFX Engine = OpenGL");
  EXPECT_EQ(EngineSettings[kGraphicsEngineSetting], 2);
  Read(u"ESS=0");
  EXPECT_EQ(EngineSettings[kSlowSystemSetting], 1);
}

TEST_F(SetupIniReader, KeyBindingsKeepToTheirRange) {
  Read(u"Key=0,65");
  EXPECT_EQ(KeyMap[0], 65);
  Read(u"Key=-7,65");
  EXPECT_EQ(KeyMap[7], 65);
  Read(u"Key=100,66");
  Read(u"Key=-150,67");
  EXPECT_EQ(KeyMap[100], 0);
  Read(u"Key=99,-300");
  EXPECT_EQ(KeyMap[99], 300);
  Read(u"KEY = 12");  // no comma: both fields are the whole value
  EXPECT_EQ(KeyMap[12], 12);
}

TEST_F(SetupIniReader, DriverLinesMatchExactlyButAlwaysCount) {
  AudioDriverNames = kLinuxDrivers;
  EXPECT_EQ(Read(u"AudioDriver = FreeAudio Multimedia"), 1);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 2);
  EXPECT_EQ(Read(u"audiodriver=freeaudio"), 1);  // wrong case: seen, no match
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 2);
  EXPECT_EQ(Read(u"; AudioDriver = Null"), 0);
  EXPECT_EQ(Read(u"[Audio]"), 0);
  EXPECT_EQ(Read(u""), 0);
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 2);
}

TEST_F(SetupIniDriverChoice, DefaultPrefersDirectThenFirstOpenAlOrFree) {
  struct Case {
    std::vector<Text> names;
    int32_t chosen;
  };
  const Case cases[] = {{kLinuxDrivers, 0},
                        {{u"Null", u"FreeAudio", u"openal"}, 1},
                        {{u"FreeAudio", u"DirectSound", u"Null"}, 1},
                        {{u"DirectSound", u"FreeAudio DirectSound", u"Null"}, 0},
                        {{u"DirectSound", u"FreeAudio", u"directx"}, 2},
                        {{u"Null"}, 0}};
  for (const Case& c : cases) {
    AudioDriverNames = c.names;
    EngineSettings[kAudioDriverSetting] = 0;
    ChooseAndStartAudioDriver(0);
    EXPECT_EQ(EngineSettings[kAudioDriverSetting], c.chosen);
  }
  AudioDriverNames = kLinuxDrivers;
  EngineSettings[kAudioDriverSetting] = 3;
  ChooseAndStartAudioDriver(1);  // a driver line was seen: no default
  EXPECT_EQ(EngineSettings[kAudioDriverSetting], 3);
  AudioDriverNames.clear();  // an empty list starts nothing and does not fail
  ChooseAndStartAudioDriver(0);
}

class SetupIniFile : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshStart();
    std::filesystem::current_path(folder_.Path("Files/001"));
    AudioDriverNames = kLinuxDrivers;
  }
  // What Files/ holds: a save leaves no temporary behind.
  std::set<std::string> FilesFolder() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path("Files"))) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  run_test::RunFolder folder_{false};
};

const std::set<std::string> kFilesWithSetup = {"001", "Common", "Setup.ini"};

const std::vector<std::string> kDefaultFile = {"[Graphics]",
                                               "Fullscreen = False",
                                               "GFX Engine = OpenGL",
                                               "Width=800",
                                               "Height=600",
                                               "",
                                               "[Audio]",
                                               "Master = 50",
                                               "Sound = 50",
                                               "Music = 50",
                                               "AudioDriver = OpenAL",
                                               "; AudioDriver = OpenAL",
                                               "; AudioDriver = FreeAudio",
                                               "; AudioDriver = FreeAudio Multimedia",
                                               "; AudioDriver = Null",
                                               "",
                                               "[Controls]",
                                               "Key=0,38",
                                               "Key=3,37",
                                               "Key=5,39",
                                               "Key=8,40",
                                               "Key=10,90",
                                               "Key=11,88",
                                               "Key=12,67",
                                               "Key=13,86"};

TEST_F(SetupIniFile, DefaultsAreWrittenExactlyAndTheWeekFolderStaysCurrent) {
  WriteSetupIni();
  EXPECT_EQ(folder_.Lines("Files/Setup.ini"), kDefaultFile);
  EXPECT_EQ(std::filesystem::current_path(), folder_.Path("Files/001"));
  EXPECT_EQ(FilesFolder(), kFilesWithSetup);
  std::string bytes = folder_.Read("Files/Setup.ini");
  EXPECT_EQ(bytes.substr(0, 12), "[Graphics]\r\n");
}

TEST_F(SetupIniFile, OptionalLinesAndReadingBackGivesTheSameSettings) {
  EngineSettings[kFullScreenSetting] = 1;
  EngineSettings[kGraphicsEngineSetting] = 2;
  EngineSettings[kSlowSystemSetting] = 1;
  EngineSettings[kAudioDriverSetting] = 2;
  KeyMap[0] = 0;
  KeyMap[3] = -4;
  KeyMap[99] = 321;
  WriteSetupIni();
  auto lines = folder_.Lines("Files/Setup.ini");
  EXPECT_EQ(lines[1], "Fullscreen = True");
  EXPECT_EQ(lines[2], "Width=800");  // no engine line unless OpenGL
  EXPECT_EQ(lines[4],
            "ESS=1 ; This is a slow system, and things must run a wee bit slower for it.  Awww..");
  EXPECT_EQ(lines[10], "AudioDriver = FreeAudio Multimedia");
  EXPECT_EQ(lines[17], "Key=5,39");
  EXPECT_EQ(lines.back(), "Key=99,321");

  int32_t saved[100], keys[101];
  std::copy(std::begin(EngineSettings), std::end(EngineSettings), saved);
  std::copy(std::begin(KeyMap), std::end(KeyMap), keys);
  keys[3] = 0;  // a binding of 0 or below is not written
  std::fill(std::begin(EngineSettings), std::end(EngineSettings), 0);
  std::fill(std::begin(KeyMap), std::end(KeyMap), 0);
  saved[3] = 0;  // only DX9 and DX7 are read back as engines
  std::filesystem::current_path(folder_.Path("Files"));
  EXPECT_EQ(ReadSetupIni(), 1);
  EXPECT_TRUE(std::equal(std::begin(saved), std::end(saved), EngineSettings));
  EXPECT_TRUE(std::equal(std::begin(keys), std::end(keys), KeyMap));
}

TEST_F(SetupIniFile, AFailedWriteOrReadKeepsThePreviousFile) {
  folder_.Write("Files/Setup.ini", {"Width=1024"});
  {
    FullDisk full(64);
    WriteSetupIni();
  }
  EXPECT_EQ(folder_.Lines("Files/Setup.ini"), std::vector<std::string>{"Width=1024"});
  std::filesystem::current_path(folder_.Path("Files"));
  OnAFailingDisk(1, [] { ReadSetupIni(); });
  std::filesystem::current_path(folder_.Path("Files/001"));
  EXPECT_EQ(EngineSettings[kWidthSetting], 800);
  WriteSetupIni();  // as the options panel and the quit do
  EXPECT_EQ(folder_.Lines("Files/Setup.ini"), std::vector<std::string>{"Width=1024"});
  EXPECT_EQ(FilesFolder(), kFilesWithSetup);
  EXPECT_EQ(std::filesystem::current_path(), folder_.Path("Files/001"));
}

TEST_F(SetupIniFile, ASetupNameThatCannotBeReadOrReplacedIsLeftAlone) {
  std::filesystem::create_directory(folder_.Path("Files/Setup.ini"));
  WriteSetupIni();
  EXPECT_EQ(FilesFolder(), kFilesWithSetup);
  std::filesystem::current_path(folder_.Path("Files"));
  EXPECT_EQ(ReadSetupIni(), 0);
  EXPECT_EQ(EngineSettings[kWidthSetting], 800);
}

TEST_F(SetupIniFile, AnEmptyOrMissingFileChangesNothing) {
  std::filesystem::current_path(folder_.Path("Files"));
  EXPECT_EQ(ReadSetupIni(), 0);
  folder_.Write("Files/Setup.ini", {});
  EXPECT_EQ(ReadSetupIni(), 0);
  EXPECT_EQ(EngineSettings[kWidthSetting], 800);
  EXPECT_EQ(KeyMap[10], 90);
}

}  // namespace
