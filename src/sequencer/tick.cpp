// The sequencer's per-frame tick, the bar and section changes, the seeded
// pattern pickers and the note table.
#include "engine/engine.h"
#include "sequencer.h"

namespace sequencer {

int32_t SongPlaying = 0;
int32_t MusicPartChoice[5] = {};
int32_t MusicChannelRest[20] = {};
int32_t MusicChannelNextRest[20] = {};
int32_t MusicChannelLeadIn[20] = {};
Text ChannelPatterns[5];
float MusicStepValues[1300] = {};

namespace {

constexpr int32_t kStepsPerBar = 64;
constexpr int32_t kStepsPerChordLetter = 16;
constexpr int32_t kStepsPerHalfLetter = 8;
constexpr int32_t kStepRowLength = 70;
constexpr int32_t kMusicChannels = 20;
constexpr int32_t kPartChannels = 5;

enum Part { kDrums = 0, kChords = 1, kBass = 2, kMelody = 3, kAccompany = 4 };
enum Phase { kBeforeLastLetter = 0, kFirstHalfOfLastLetter = 1, kSecondHalfOfLastLetter = 2 };
// Lead-in kind 1 comes in for the whole last chord letter, kind 2 for its
// second half only.
constexpr int32_t kLeadInWholeLastLetter = 1;

// How each part channel plays its notes.
struct PartChannel {
  bool drum;             // steps hold a drum digit, not a rate
  int32_t stem_base;     // MusicSamples slot = base + drum digit or stem choice
  int32_t choice;        // MusicPartChoice entry of a pitched part
  int32_t pan_sign;      // +1 or -1 times the spread; 0 leaves the pan alone
  float volume_divisor;  // applied after the first division by 100
};
const PartChannel kPartChannelTable[kPartChannels] = {
    {true, 0, 0, +1, 100.0f},  {true, 10, 0, -1, 100.0f},  {false, 20, 1, -1, 100.0f},
    {false, 30, 2, 0, 100.0f}, {false, 40, 3, +1, 200.0f},
};

int32_t Length(const Text& text) { return static_cast<int32_t>(text.size()); }

// Every seeding derives from the song seed and the song's position: the bar
// within the section and the bars played.
int32_t PositionSeed(int32_t salt) {
  return wrap_add(wrap_add(wrap_mul(SongSeed, 1024), wrap_add(SongSectionBar, SongBarCount)), salt);
}

// Each character followed by a rest, so every step becomes two.
Text SpreadWithRests(const Text& pattern) {
  Text out;
  out.reserve(pattern.size() * 2);
  for (char16_t c : pattern) {
    out += c;
    out += u' ';
  }
  return out;
}

Text Stretched(const Text& pattern, int32_t mode) {
  int32_t roll = fw_rand_int(0, 2);
  Text out = pattern;
  if ((mode > 0 && roll > 0) || mode < 0) out = SpreadWithRests(out);
  if ((mode == 2 && roll == 2) || mode == -2) out = SpreadWithRests(out);
  return out;
}

// The pickers differ only in their part and salt; both drum channels choose
// among the DRUMS patterns.
Text PickPattern(int32_t part, int32_t salt) {
  fw_seed_rnd(PositionSeed(salt));
  int32_t warm_up = wrap_add(wrap_mul(SongBarCount, 4), salt);
  for (int32_t i = 0; i < warm_up; ++i) fw_rand_int(0, 1000);
  int32_t count = MusicPatternCounts[part];
  int32_t entry = fw_rand_int(1, count);
  // A part without patterns has nothing of its own to play: its entries may
  // still hold an earlier song's texts.
  Text pattern = count > 0 ? MusicPatterns[part * 1000 + entry] : Text();
  if (part == kChords) return pattern;
  return Stretched(pattern, MusicStretchModes[part]);
}

int32_t DrumDigit(char16_t c) { return rt_string_to_int(Text(1, c)); }

float PitchedStepValue(char16_t c) { return c == u' ' ? 0.0f : NoteLetterToRate(Text(1, c)); }

// Drum patterns start again every bar; pitched patterns run on across the
// bars of a section. An empty pattern leaves its channel silent.
void FillStepValues() {
  int64_t section_offset = (int64_t(SongSectionBar) - 1) * kStepsPerBar;
  for (int32_t c = 0; c < kPartChannels; ++c) {
    const Text& pattern = ChannelPatterns[c];
    float* row = &MusicStepValues[c * kStepRowLength];
    for (int32_t k = 0; k < kStepsPerBar; ++k) {
      if (pattern.empty()) {
        row[k] = 0.0f;
      } else if (kPartChannelTable[c].drum) {
        row[k] = float(DrumDigit(pattern[size_t(k) % pattern.size()]));
      } else {
        int64_t at = (k + section_offset) % int64_t(pattern.size());
        row[k] = PitchedStepValue(pattern[size_t(at)]);
      }
    }
  }
}

void DrawRestFlags() {
  for (int32_t c = 0; c < kMusicChannels; ++c) {
    MusicChannelRest[c] = MusicChannelNextRest[c];
    MusicChannelNextRest[c] = fw_rand_int(0, 1);
    MusicChannelLeadIn[c] = fw_rand_int(1, 2);
  }
  // Only the current flags are corrected: lead-ins follow the next flags as
  // drawn.
  if (MusicChannelRest[0] == 1 && MusicChannelRest[1] == 1) {
    MusicChannelRest[fw_rand_int(0, 1)] = 0;
  }
  if (MusicChannelRest[2] != 0 && MusicChannelRest[3] != 0) {
    MusicChannelRest[fw_rand_int(2, 3)] = 0;
  }
}

void BeginSection() {
  for (int32_t part = 1; part <= 3; ++part) {
    MusicPartChoice[part] = fw_rand_int(1, MusicSampleCounts[part]);
  }
  SongSectionBar = 1;
  SongChordLine = PickChordLine(13);
  DrawRestFlags();
  ChannelPatterns[0] = PickDrumPattern(3);
  ChannelPatterns[1] = PickDrumPattern(7);
  ChannelPatterns[2] = PickBassPattern(13);
  ChannelPatterns[3] = PickMelodyPattern(19);
  ChannelPatterns[4] = PickAccompanyPattern(29);
}

struct SectionPosition {
  float chord_factor;
  Phase phase;
};

SectionPosition CurrentPosition() {
  int64_t length = Length(SongChordLine);
  int64_t bar = SongSectionBar;
  int64_t letter = SongStep / kStepsPerChordLetter + (bar - 1) * 4;
  int64_t half_letter = SongStep / kStepsPerHalfLetter + (bar - 1) * 8;
  SectionPosition position;
  position.chord_factor = letter >= 0 && letter < length
                              ? NoteLetterToRate(Text(1, SongChordLine[size_t(letter)]))
                              : 0.0f;
  if (half_letter >= 2 * length - 1) {
    position.phase = kSecondHalfOfLastLetter;
  } else if (letter >= length - 1) {
    position.phase = kFirstHalfOfLastLetter;
  } else {
    position.phase = kBeforeLastLetter;
  }
  return position;
}

// A resting channel that plays in the next section comes in early at the end
// of this one.
bool Rests(int32_t c, Phase phase) {
  if (MusicChannelRest[c] != 1) return false;
  if (MusicChannelNextRest[c] != 0) return true;
  bool leads_in =
      phase == kSecondHalfOfLastLetter ||
      (phase == kFirstHalfOfLastLetter && MusicChannelLeadIn[c] == kLeadInWholeLastLetter);
  return !leads_in;
}

// The MusicSamples slot of the note a step value asks for; -1 for no note.
int32_t StemSlot(int32_t c, float value) {
  const PartChannel& part = kPartChannelTable[c];
  if (part.drum) {
    int32_t digit = rt_float_to_int(value);
    return digit >= 1 && digit <= 8 ? part.stem_base + digit : -1;
  }
  if (value == 0.0f) return -1;
  int32_t slot = part.stem_base + MusicPartChoice[part.choice];
  return slot >= 0 && slot < 50 ? slot : -1;
}

// A note always gets a new channel; the one still sounding is cut.
void StartNote(int32_t c, int32_t stem, float rate) {
  int32_t& slot = engine::ChannelTable[c];
  if (slot != 0 && fw_channel_playing(slot) != 0) {
    fw_stop_channel(slot);
    slot = 0;
  }
  rt_replace_handle(slot, fw_alloc_channel());
  if (slot == 0) return;
  fw_cue_sound(stem, slot);
  const PartChannel& part = kPartChannelTable[c];
  if (part.pan_sign != 0) fw_set_channel_pan(slot, float(part.pan_sign) * SongPanSpread);
  if (!part.drum) fw_set_channel_rate(slot, rate);
  fw_set_channel_volume(slot,
                        engine::VolumeLevel(engine::kMusicVolumeSetting, part.volume_divisor));
  fw_resume_channel(slot);
}

void PlayStep() {
  SectionPosition position = CurrentPosition();
  for (int32_t c = 0; c < kPartChannels; ++c) {
    float value = MusicStepValues[c * kStepRowLength + SongStep];
    if (Rests(c, position.phase)) continue;
    int32_t slot = StemSlot(c, value);
    if (slot < 0 || MusicSamples[slot] == 0) continue;
    StartNote(c, MusicSamples[slot], value * position.chord_factor);
  }
}

}  // namespace

void MusicTick() {
  if (SongPlaying == 0) return;
  // Wrap-safe: the clock and the step time may each cross the 32-bit wrap.
  if (wrap_sub(rt_millisecs(), SongNextStepTime) <= 0) return;
  SongNextStepTime = wrap_add(SongNextStepTime, SongStepLength);
  SongStep += 1;
  // Only -1 (before the first step) and 0..63 are valid step positions.
  if (SongStep >= kStepsPerBar || SongStep < 0) {
    SongStep = 0;
    NextBar();
  }
  PlayStep();
}

void NextBar() {
  fw_seed_rnd(PositionSeed(0));
  SongBarCount = wrap_add(SongBarCount, 1);
  SongSectionBar = wrap_add(SongSectionBar, 1);
  int32_t length = Length(SongChordLine);
  if (SongSectionBar > length / 4 || length == 0) BeginSection();
  FillStepValues();
}

Text PickChordLine(int32_t salt) { return PickPattern(kChords, salt); }
Text PickDrumPattern(int32_t salt) { return PickPattern(kDrums, salt); }
Text PickBassPattern(int32_t salt) { return PickPattern(kBass, salt); }
Text PickMelodyPattern(int32_t salt) { return PickPattern(kMelody, salt); }
Text PickAccompanyPattern(int32_t salt) { return PickPattern(kAccompany, salt); }

// Two rows of a computer keyboard laid out like a piano: a low octave, a
// middle octave and the first eight keys of a high one.
float NoteLetterToRate(const Text& letter) {
  static const char16_t kKeys[] = u"zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
  static const float kMiddleOctave[12] = {1.0f,   1.059f, 1.122f, 1.189f, 1.26f,  1.335f,
                                          1.414f, 1.498f, 1.587f, 1.682f, 1.782f, 1.888f};
  static const float kOctaveFactors[3] = {0.5f, 1.0f, 2.0f};
  Text lower = fw_lower(letter);
  if (lower.size() != 1) return 0.0f;
  for (int32_t i = 0; i < 32; ++i) {
    if (kKeys[i] == lower[0]) return kMiddleOctave[i % 12] * kOctaveFactors[i / 12];
  }
  return 0.0f;
}

}  // namespace sequencer
