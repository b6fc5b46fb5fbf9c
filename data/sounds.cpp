// The start-up jingle and the numbered sound effects.
#include <cmath>

#include "data.h"

namespace data {

namespace {

constexpr float kJingleSeconds = 1.8f;

// A soft bell: the fundamental with a quieter octave and twelfth.
Samples Bell(float frequency, float seconds) {
  return Tone(frequency, seconds, {1.0f, 0.35f, 0.18f, 0.06f}, 0.004f, 0.45f);
}

float Semitones(float base, float steps) { return base * std::pow(2.0f, steps / 12.0f); }

// C major rising in bells, then the full chord with its octave ringing out.
Samples Jingle() {
  Samples song = Silence(kJingleSeconds);
  const float c5 = 523.2511f;
  const float arpeggio[] = {0, 4, 7, 12};
  for (int32_t i = 0; i < 4; ++i) {
    size_t at = static_cast<size_t>(i * 0.11f * kSampleRate);
    MixInto(song, Bell(Semitones(c5, arpeggio[i]), 0.6f), at, 0.8f);
  }
  size_t chord_at = static_cast<size_t>(0.5f * kSampleRate);
  for (float step : {0.0f, 4.0f, 7.0f, 12.0f, -12.0f}) {
    MixInto(song, Bell(Semitones(c5, step), kJingleSeconds - 0.5f), chord_at, 0.5f);
  }
  song.resize(static_cast<size_t>(kJingleSeconds * kSampleRate));
  return song;
}

Samples Coin() {
  Samples s = Sweep(987.77f, 987.77f, 0.08f, Wave::kSquare, 1.0f);
  MixInto(s, Sweep(1318.5f, 1318.5f, 0.3f, Wave::kSquare, 0.12f), s.size());
  return s;
}

Samples PowerUp() {
  Samples s;
  const float steps[] = {0, 4, 7, 12, 16, 19, 24};
  for (int32_t i = 0; i < 7; ++i) {
    MixInto(s,
            Sweep(Semitones(392.0f, steps[i]), Semitones(392.0f, steps[i]), 0.06f, Wave::kTriangle,
                  1.0f),
            s.size());
  }
  return s;
}

Samples Explosion() {
  Samples s = NoiseBurst(0.9f, 0.25f, 0.1f, 77);
  MixInto(s, Sweep(120, 30, 0.5f, Wave::kSine, 0.2f));
  return s;
}

Samples Select() {
  Samples s = Sweep(660, 660, 0.04f, Wave::kSquare, 0.03f);
  MixInto(s, Sweep(880, 880, 0.05f, Wave::kSquare, 0.03f), s.size());
  return s;
}

}  // namespace

void MakeSounds(const fs::path& common, const fs::path& week) {
  SaveOggIfMissing(common / "open.ogg", 0.8f, Jingle);

  struct Effect {
    const char* file;
    std::function<Samples()> make;
  };
  const Effect effects[] = {
      {"001.wav", Coin},
      {"002.wav", [] { return Sweep(220, 880, 0.25f, Wave::kSquare, 0.15f); }},  // jump
      {"003.wav", [] { return NoiseBurst(0.2f, 0.05f, 0.5f, 31); }},             // hit
      {"004.wav", Explosion},
      {"005.wav", [] { return Sweep(1800, 200, 0.22f, Wave::kSquare, 0.12f); }},  // laser
      {"006.wav", PowerUp},
      {"007.wav", Select},
      {"008.wav", [] { return Sweep(110, 100, 0.35f, Wave::kSquare, 0.3f); }},  // refusal
  };
  for (const Effect& effect : effects) SaveWavIfMissing(week / effect.file, 0.7f, effect.make);
}

}  // namespace data
