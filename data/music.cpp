// Music stems (two drum kits and three pitched instruments of three timbres
// each, all tuned so that rate 1.0 sounds the note of 'q') and a song.
#include <cmath>

#include "data.h"

namespace data {

namespace {

Samples Layered(std::vector<std::pair<Samples, float>> layers) {
  Samples out;
  for (auto& [samples, gain] : layers) MixInto(out, samples, 0, gain);
  return out;
}

// Kit one: a punchy acoustic-like set.
std::vector<Samples> KitOne() {
  return {
      Layered({{Sweep(160, 48, 0.45f, Wave::kSine, 0.16f), 1.0f},
               {NoiseBurst(0.02f, 0.004f, 0.8f, 1), 0.3f}}),         // 1 kick
      Layered({{Sweep(110, 45, 0.35f, Wave::kSine, 0.12f), 1.0f}}),  // 2 soft kick
      Layered({{NoiseBurst(0.25f, 0.07f, 0.7f, 3), 0.8f},
               {Sweep(220, 170, 0.15f, Wave::kTriangle, 0.06f), 0.6f}}),  // 3 snare
      Layered({{NoiseBurst(0.06f, 0.015f, 1.0f, 4), 1.0f}}),              // 4 closed hat
      Layered({{NoiseBurst(0.4f, 0.12f, 1.0f, 5), 1.0f}}),                // 5 open hat
      Layered({{Sweep(200, 110, 0.4f, Wave::kSine, 0.14f), 1.0f}}),       // 6 low tom
      Layered({{Sweep(300, 170, 0.35f, Wave::kSine, 0.12f), 1.0f}}),      // 7 high tom
      Layered({{NoiseBurst(1.4f, 0.5f, 0.95f, 8), 1.0f}}),                // 8 crash
  };
}

// A clap: three quick bursts and a short tail.
Samples Clap(uint32_t seed) {
  Samples out;
  for (int32_t i = 0; i < 3; ++i) {
    MixInto(out, NoiseBurst(0.012f, 0.004f, 0.6f, seed + i), static_cast<size_t>(i) * 441);
  }
  MixInto(out, NoiseBurst(0.2f, 0.05f, 0.6f, seed + 9), 1323);
  return out;
}

// Kit two: an electronic set with a long boom, rim, claps and a ride.
std::vector<Samples> KitTwo() {
  return {
      Layered({{Sweep(90, 38, 0.8f, Wave::kSine, 0.35f), 1.0f}}),           // 1 boom
      Layered({{Sweep(1700, 1600, 0.03f, Wave::kTriangle, 0.01f), 1.0f}}),  // 2 rim
      Layered({{NoiseBurst(0.18f, 0.05f, 0.85f, 13), 1.0f},
               {Sweep(330, 250, 0.1f, Wave::kTriangle, 0.04f), 0.4f}}),  // 3 snare
      Layered({{NoiseBurst(0.04f, 0.01f, 1.0f, 14), 1.0f}}),             // 4 tick
      Layered({{NoiseBurst(0.12f, 0.04f, 0.9f, 15), 1.0f}}),             // 5 shaker
      Layered({{Clap(16), 1.0f}}),                                       // 6 clap
      Layered({{Sweep(150, 80, 0.5f, Wave::kSine, 0.2f), 1.0f}}),        // 7 tom
      Layered({{NoiseBurst(1.0f, 0.35f, 1.0f, 18), 0.6f},
               {Tone(1950, 1.0f, {0.25f, 0.1f}, 0.001f, 0.4f), 0.5f}}),  // 8 ride
  };
}

// A tone with a slow vibrato, for the flute-like lead.
Samples Vibrato(float frequency, float seconds, float depth) {
  Samples out = Silence(seconds);
  double phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float wobble = 1.0f + depth * std::sin(6.2831853f * 5.5f * t) * std::min(1.0f, t * 4);
    phase += frequency * wobble / kSampleRate;
    float attack = std::min(1.0f, t / 0.04f);
    float p = static_cast<float>(phase - std::floor(phase));
    out[i] = (std::sin(6.2831853f * p) + 0.15f * std::sin(12.566371f * p)) * attack *
             std::exp(-t / 0.9f);
  }
  return out;
}

const float kQ = kNoteOfQ;
const std::vector<float> kSaw = {1, 0.5f, 0.33f, 0.25f, 0.2f, 0.16f, 0.14f, 0.12f};
const std::vector<float> kSquare = {1, 0, 0.33f, 0, 0.2f, 0, 0.14f, 0, 0.11f};

std::vector<Samples> Basses() {
  return {
      Tone(kQ, 0.7f, {1, 0.5f, 0.1f}, 0.005f, 0.35f),  // 1 round pluck
      Tone(kQ, 0.6f, kSaw, 0.003f, 0.25f),             // 2 buzzy saw
      Tone(kQ, 0.6f, kSquare, 0.003f, 0.3f),           // 3 hollow square
  };
}

std::vector<Samples> Leads() {
  return {
      Tone(kQ, 0.8f, kSquare, 0.01f, 0.6f),                                 // 1 chip lead
      Tone(kQ, 1.2f, {1, 0, 0, 0.4f, 0, 0, 0, 0, 0, 0.15f}, 0.002f, 0.5f),  // 2 bell
      Vibrato(kQ, 1.0f, 0.006f),                                            // 3 flute
  };
}

std::vector<Samples> Accompaniments() {
  return {
      Tone(kQ, 1.2f, {1, 0.3f, 0.2f, 0.1f}, 0.12f, 1.2f),  // 1 soft pad
      Tone(kQ, 1.0f, {1, 0.6f, 0.05f}, 0.002f, 0.5f),      // 2 electric piano
      Tone(kQ, 0.5f, {1, 0, 0, 0.5f}, 0.001f, 0.12f),      // 3 marimba
  };
}

void SaveSet(const std::vector<Samples>& set, const fs::path& folder, const std::string& prefix,
             float peak) {
  for (size_t i = 0; i < set.size(); ++i) {
    SaveWavIfMissing(folder / (prefix + std::to_string(i + 1) + ".wav"), peak,
                     [&] { return set[i]; });
  }
}

// Written in C; every part keeps to the root, second, third, fifth, sixth and
// octave so it sounds right over each chord root that transposes it
// (C, F, G below and B flat below).
const char* const kTheme = R"([DRUMS]
STRETCH = FALSE
"1 4 3 4 1 4 3 4 "
"1   3   1 1 3   "
"1 4 4 4 3 4 4 4 1 4 1 4 3 4 5 4 "
"6   6   6 6 6  7"
"1 5 3 5 1 5 3 5 1 5 3 5 1 6 7 8 "
"4444344444443444"

[CHORDS]
STRETCH = FALSE
"qqrrbbqq"
"qjrqqjrb"
"qrqbqrbq"
"qqjjrrbb"

[BASS]
STRETCH = RANDOM
"z   z   b   z   z   z   b   x c "
"z z   z b   b   z z   z c   b   "
"z       b       z       b   c b "
"z zbz zbz zbz zbc c b b z z x x "

[MELODY]
STRETCH = RANDOM+
"e   t   i   t   e   w   q       "
"q w e   t   e   w q   w   e     "
"i   y   t   e   t   y   i       "
"t t y t e   w   q   w e t       "
"e t i o i t e t w e t y t       "

[ACCOMPANY]
STRETCH = FALSE
"q e t e q e t e "
"t   e   q   e   "
"qet qet qet qet "
"i t e t i t e t "
)";

// A brisker song: driving eighths, a walking bass and a call-and-answer lead.
const char* const kChase = R"([DRUMS]
STRETCH = FALSE
"1 4 3 4 1 1 3 4 "
"5 4 5 4 5 4 5 4 "
"1   6   1 1 6   "
"1 2 3 2 1 2 3 2 1 2 3 2 7 7 8   "

[CHORDS]
STRETCH = FALSE
"qqbb"
"qjqb"
"rrqq"
"qbrq"

[BASS]
STRETCH = DOUBLE
"z b z b "
"z x c b "
"z z b z "

[MELODY]
STRETCH = RANDOM
"i   t   e   t   i   o   i       "
"q   e   t   i       t   e       "
"t y i   t y i   o   i   t       "

[ACCOMPANY]
STRETCH = RANDOM
"q t q t q t q t "
"e t e t e t e t "
"qe t qe t qe t qe t "
)";

}  // namespace

void MakeMusic(const fs::path& music) {
  SaveSet(KitOne(), music, "d1-", 0.8f);
  SaveSet(KitTwo(), music, "d2-", 0.8f);
  SaveSet(Basses(), music, "bass", 0.8f);
  SaveSet(Leads(), music, "lead", 0.6f);
  SaveSet(Accompaniments(), music, "accompany", 0.6f);
  WriteNewFile(music / "theme.ini", kTheme);
  WriteNewFile(music / "chase.ini", kChase);
}

}  // namespace data
