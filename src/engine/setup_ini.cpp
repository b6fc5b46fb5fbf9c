// The configuration file "Setup.ini": the reader, the audio driver choice and
// the writer.
#include "engine.h"

namespace engine {

bool SetupIniUnread = false;

namespace {

// Numbers keep their size but lose their sign; the most negative value stays
// as it is, since it has no positive twin in 32 bits.
int32_t AbsoluteNumber(const Text& text) {
  int32_t value = rt_string_to_int(text);
  return value < 0 ? wrap_sub(0, value) : value;
}

Text DriverName(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(AudioDriverNames.size())) return Text();
  return AudioDriverNames[static_cast<size_t>(index)];
}

void ReadDriverLine(const Text& value, int32_t& driver_line_seen) {
  driver_line_seen = 1;
  for (size_t i = 0; i < AudioDriverNames.size(); ++i) {
    if (AudioDriverNames[i] == value) EngineSettings[kAudioDriverSetting] = static_cast<int32_t>(i);
  }
}

void ReadFullscreenLine(const Text& value) {
  Text upper = fw_upper(value);
  if (upper == u"TRUE" || upper == u"ON") {
    EngineSettings[kFullScreenSetting] = 1;
    LogLine(u"\tSetting to Fullscreen");
  }
}

void ReadGraphicsEngineLine(const Text& value) {
  Text upper = fw_upper(value);
  if (upper == u"DX9") {
    EngineSettings[kGraphicsEngineSetting] = 1;
    LogLine(u"\tDirectX 9 Mode");
  } else if (upper == u"DX7") {
    EngineSettings[kGraphicsEngineSetting] = 2;
    LogLine(u"\tDirectX 7 Mode");
  }
}

void ReadKeyLine(const Text& value) {
  int32_t index = AbsoluteNumber(SplitField(value, u",", 1, 0));
  int32_t code = AbsoluteNumber(SplitField(value, u",", 2, 0));
  if (index >= 0 && index <= 99) KeyMap[index] = code;
}

// The settings that a plain number sets.
struct NumberKey {
  const char16_t* key;
  int32_t setting;
};
constexpr NumberKey kNumberKeys[] = {{u"WIDTH", kWidthSetting},
                                     {u"HEIGHT", kHeightSetting},
                                     {u"MASTER", kMasterVolumeSetting},
                                     {u"SOUND", kSoundVolumeSetting},
                                     {u"MUSIC", kMusicVolumeSetting}};

bool BeginsWith(const Text& name, const Text& prefix) {
  return fw_upper(fw_left(name, static_cast<int32_t>(prefix.size()))) == prefix;
}

void ChooseDefaultAudioDriver() {
  bool chosen = false;
  for (size_t i = 0; i < AudioDriverNames.size(); ++i) {
    const Text& name = AudioDriverNames[i];
    bool preferred = BeginsWith(name, u"OPENAL") || BeginsWith(name, u"FREE");
    if ((preferred && !chosen) || BeginsWith(name, u"DIRECT")) {
      EngineSettings[kAudioDriverSetting] = static_cast<int32_t>(i);
      chosen = true;
    }
  }
}

void WriteSetupLines(int32_t stream, int32_t& failures) {
  auto line = [&](const Text& text) {
    if (fw_write_line(stream, text) == 0) ++failures;
  };
  const int32_t* e = EngineSettings;
  line(u"[Graphics]");
  if (e[kFullScreenSetting] == 0) line(u"Fullscreen = False");
  if (e[kFullScreenSetting] == 1) line(u"Fullscreen = True");
  if (e[kGraphicsEngineSetting] == 0) line(u"GFX Engine = OpenGL");
  line(u"Width=" + rt_string_from_int(e[kWidthSetting]));
  line(u"Height=" + rt_string_from_int(e[kHeightSetting]));
  if (e[kSlowSystemSetting] == 1) {
    line(u"ESS=1 ; This is a slow system, and things must run a wee bit slower for it.  Awww..");
  }
  line(u"");
  line(u"[Audio]");
  line(u"Master = " + rt_string_from_int(e[kMasterVolumeSetting]));
  line(u"Sound = " + rt_string_from_int(e[kSoundVolumeSetting]));
  line(u"Music = " + rt_string_from_int(e[kMusicVolumeSetting]));
  line(u"AudioDriver = " + DriverName(e[kAudioDriverSetting]));
  for (const Text& name : AudioDriverNames) line(u"; AudioDriver = " + name);
  line(u"");
  line(u"[Controls]");
  for (int32_t index = 0; index <= 99; ++index) {
    if (KeyMap[index] > 0) {
      line(u"Key=" + rt_string_from_int(index) + u"," + rt_string_from_int(KeyMap[index]));
    }
  }
}

}  // namespace

void ReadSetupLine(const Text& line, int32_t& driver_line_seen) {
  Text key = fw_upper(fw_trim(SplitField(line, u"=", 1, 0)));
  Text value = fw_trim(SplitField(line, u"=", 2, 0));
  if (key == u"AUDIODRIVER") return ReadDriverLine(value, driver_line_seen);
  if (key == u"FULLSCREEN") return ReadFullscreenLine(value);
  if (key == u"GFX ENGINE" || key == u"GFXENGINE") return ReadGraphicsEngineLine(value);
  if (key == u"ESS") {
    EngineSettings[kSlowSystemSetting] = 1;
    return LogLine(u"\tAssuming Emergency Slow System values.");
  }
  if (key == u"KEY") return ReadKeyLine(value);
  for (const NumberKey& number : kNumberKeys) {
    if (key == number.key) EngineSettings[number.setting] = AbsoluteNumber(value);
  }
}

int32_t ReadSetupIni() {
  int32_t driver_line_seen = 0;
  const int32_t type = fw_file_type(u"Setup.ini");
  if (type == 0) return driver_line_seen;
  // A name that exists but cannot be read whole (a folder, no permission, a
  // failing disk) is treated like a missing file rather than read forever
  // or in part; a file of settings there is the user's, and stays.
  int32_t stream = fw_read_file(u"Setup.ini");
  SetupIniUnread = stream == 0 && type == 1;
  if (SetupIniUnread) LogFileLeftUnread(u"Setup.ini");
  if (stream == 0) return driver_line_seen;
  LogLine(u"\tReading Setup File");
  do {
    ReadSetupLine(fw_read_line(stream), driver_line_seen);
  } while (fw_stream_eof(stream) == 0);
  fw_close_file(stream);
  return driver_line_seen;
}

void ChooseAndStartAudioDriver(int32_t driver_line_seen) {
  if (driver_line_seen == 0) ChooseDefaultAudioDriver();
  LogLine(u"Setting Audio Driver");
  Text name = DriverName(EngineSettings[kAudioDriverSetting]);
  if (fw_audio_driver_exists(name) != 0) {
    if (!BeginsWith(name, u"OPENAL") || fw_enable_openal_audio() == 1) {
      fw_set_audio_driver(name);
    }
  }
  LogLine(u"Set Audio Driver");
  LogLine(u"");
}

// Written beside the old file and renamed over it, so that a write that
// fails half-way leaves the previous settings in place.
void WriteSetupIni() {
  if (SetupIniUnread) return;
  FolderTrip trip;
  if (trip.Go(u"..") == 0) return;
  platform::PendingSave save(u"Setup.ini");
  if (!save.IsOpen()) return;
  int32_t failures = 0;
  WriteSetupLines(save.Stream(), failures);
  if (failures == 0) save.Commit();
}

}  // namespace engine
