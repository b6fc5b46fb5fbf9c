#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "data.h"

namespace data {

float Noise::Next() {
  // xorshift32: the same noise on every run and every machine.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
}

Samples Silence(float seconds) { return Samples(static_cast<size_t>(seconds * kSampleRate), 0); }

void MixInto(Samples& into, const Samples& add, size_t at, float gain) {
  if (into.size() < at + add.size()) into.resize(at + add.size(), 0);
  for (size_t i = 0; i < add.size(); ++i) into[at + i] += add[i] * gain;
}

void Finish(Samples& samples, float peak) {
  float loudest = 0;
  for (float s : samples) loudest = std::max(loudest, std::fabs(s));
  if (loudest > 0) {
    for (float& s : samples) s *= peak / loudest;
  }
  // A short fade keeps the end free of clicks.
  size_t fade = std::min<size_t>(samples.size(), kSampleRate / 200);
  for (size_t i = 0; i < fade; ++i) {
    samples[samples.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
  }
}

Samples Tone(float frequency, float seconds, const std::vector<float>& partials, float attack,
             float decay) {
  Samples out = Silence(seconds);
  const float kTwoPi = 6.2831853f;
  for (size_t i = 0; i < out.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float envelope = std::min(1.0f, t / std::max(attack, 1e-4f)) * std::exp(-t / decay);
    float sum = 0;
    for (size_t n = 0; n < partials.size(); ++n) {
      // Upper harmonics die away faster, as on a struck or plucked string.
      float harmonic = static_cast<float>(n + 1);
      sum += partials[n] * std::sin(kTwoPi * frequency * harmonic * t) *
             std::exp(-t * harmonic * 0.8f / decay);
    }
    out[i] = sum * envelope;
  }
  return out;
}

Samples Sweep(float f0, float f1, float seconds, Wave wave, float decay) {
  Samples out = Silence(seconds);
  double phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float frequency = f0 * std::pow(f1 / f0, t / seconds);
    phase += frequency / kSampleRate;
    phase -= std::floor(phase);
    float p = static_cast<float>(phase);
    float value = 0;
    switch (wave) {
      case Wave::kSine:
        value = std::sin(6.2831853f * p);
        break;
      case Wave::kSquare:
        value = p < 0.5f ? 0.6f : -0.6f;
        break;
      case Wave::kTriangle:
        value = 4.0f * std::fabs(p - 0.5f) - 1.0f;
        break;
    }
    out[i] = value * std::exp(-t / decay) * std::min(1.0f, t * 2000.0f);
  }
  return out;
}

Samples NoiseBurst(float seconds, float decay, float brightness, uint32_t seed) {
  Samples out = Silence(seconds);
  Noise noise(seed);
  float low = 0;
  // One-pole low-pass; the high part is what the low-pass leaves out.
  const float smoothing = 0.15f;
  for (size_t i = 0; i < out.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float white = noise.Next();
    low += smoothing * (white - low);
    float high = white - low;
    out[i] = (low * 2.5f * (1 - brightness) + high * brightness) * std::exp(-t / decay);
  }
  return out;
}

namespace {

void PutLittleEndian(std::string& out, uint32_t value, int32_t bytes) {
  for (int32_t i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

int16_t ToPcm16(float sample) {
  float clamped = std::clamp(sample, -1.0f, 1.0f);
  return static_cast<int16_t>(std::lround(clamped * 32767.0f));
}

void AppendPage(std::string& out, const ogg_page& page) {
  out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
  out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

std::string OggVorbisBytes(const Samples& mono) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 1, kSampleRate, 0.5f) != 0) {
    throw std::runtime_error("vorbis encoder refused its settings");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 20260001);  // a fixed serial keeps the file the same on every run

  std::string out;
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  const size_t kChunk = 4096;
  size_t at = 0;
  for (;;) {
    size_t count = std::min(kChunk, mono.size() - at);
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      std::copy(mono.begin() + static_cast<std::ptrdiff_t>(at),
                mono.begin() + static_cast<std::ptrdiff_t>(at + count), buffer[0]);
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(count));  // 0 marks the end
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(out, page);
      }
    }
    if (count == 0) break;
    at += count;
  }
  while (ogg_stream_flush(&stream, &page) != 0) AppendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

std::string WavBytes(const Samples& mono) {
  const uint32_t data_size = static_cast<uint32_t>(mono.size() * 2);
  std::string out;
  out += "RIFF";
  PutLittleEndian(out, 36 + data_size, 4);
  out += "WAVEfmt ";
  PutLittleEndian(out, 16, 4);               // format chunk size
  PutLittleEndian(out, 1, 2);                // PCM
  PutLittleEndian(out, 1, 2);                // mono
  PutLittleEndian(out, kSampleRate, 4);      // frames per second
  PutLittleEndian(out, kSampleRate * 2, 4);  // bytes per second
  PutLittleEndian(out, 2, 2);                // bytes per frame
  PutLittleEndian(out, 16, 2);               // bits per sample
  out += "data";
  PutLittleEndian(out, data_size, 4);
  for (float s : mono) PutLittleEndian(out, static_cast<uint16_t>(ToPcm16(s)), 2);
  return out;
}

void SaveSoundIfMissing(const fs::path& path, float peak, const std::function<Samples()>& make,
                        std::string (*encode)(const Samples&)) {
  if (!Missing(path)) return;  // and spare the synthesis
  Samples samples = make();
  Finish(samples, peak);
  WriteNewFile(path, encode(samples));
}

}  // namespace

void SaveWavIfMissing(const fs::path& path, float peak, const std::function<Samples()>& make) {
  SaveSoundIfMissing(path, peak, make, WavBytes);
}

void SaveOggIfMissing(const fs::path& path, float peak, const std::function<Samples()>& make) {
  SaveSoundIfMissing(path, peak, make, OggVorbisBytes);
}

}  // namespace data
