// Sound files: RIFF PCM WAV and Ogg Vorbis, decoded whole into float samples.
// Every size read from a file is checked against the bytes actually there.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "audio.h"
#include "stream.h"

namespace platform::audio {
namespace {

uint32_t ReadLe(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

bool HasTag(const uint8_t* data, size_t size, size_t at, const char* tag) {
  return at + 4 <= size && std::memcmp(data + at, tag, 4) == 0;
}

constexpr int32_t kLowestRate = 1000;
constexpr int32_t kHighestRate = 384000;

bool UsableLayout(int64_t channels, int64_t rate) {
  return (channels == 1 || channels == 2) && rate >= kLowestRate && rate <= kHighestRate;
}

// ---------------------------------------------------------------------------
// WAV
// ---------------------------------------------------------------------------

struct Chunk {
  size_t offset = 0;  // of the body
  size_t size = 0;    // clamped to the file
  bool found = false;
};

struct WavChunks {
  Chunk format;
  Chunk data;
};

// Walks the chunks after "RIFF" size "WAVE"; the first of each kind counts.
WavChunks FindChunks(const uint8_t* data, size_t size) {
  WavChunks chunks;
  size_t at = 12;
  while (at + 8 <= size) {
    size_t body = at + 8;
    size_t length = std::min<size_t>(ReadLe(data + at + 4, 4), size - body);
    Chunk* target = HasTag(data, size, at, "fmt ")   ? &chunks.format
                    : HasTag(data, size, at, "data") ? &chunks.data
                                                     : nullptr;
    if (target && !target->found) *target = {body, length, true};
    at = body + length + (length & 1);  // bodies are padded to even sizes
  }
  return chunks;
}

struct WavFormat {
  int32_t channels = 0;
  int32_t rate = 0;
  int32_t bits = 0;
};

constexpr uint32_t kFormatPcm = 1;
constexpr uint32_t kFormatExtensible = 0xFFFE;

bool ReadFormat(const uint8_t* body, size_t size, WavFormat& format) {
  if (size < 16) return false;
  uint32_t tag = ReadLe(body, 2);
  // The extensible header names its real format in the first two bytes of
  // its sub-format identifier.
  if (tag == kFormatExtensible && size >= 26) tag = ReadLe(body + 24, 2);
  format.channels = int32_t(ReadLe(body + 2, 2));
  format.rate = int32_t(std::min<uint32_t>(ReadLe(body + 4, 4), kHighestRate + 1));
  format.bits = int32_t(ReadLe(body + 14, 2));
  return tag == kFormatPcm && UsableLayout(format.channels, format.rate) &&
         (format.bits == 8 || format.bits == 16);
}

float PcmSample(const uint8_t* p, int32_t bits) {
  if (bits == 8) return (float(p[0]) - 128.0f) / 128.0f;
  return float(int16_t(ReadLe(p, 2))) / 32768.0f;
}

}  // namespace

PcmRef DecodeWav(const uint8_t* data, size_t size) {
  if (!data || !HasTag(data, size, 0, "RIFF") || !HasTag(data, size, 8, "WAVE")) return nullptr;
  WavChunks chunks = FindChunks(data, size);
  WavFormat format;
  if (!chunks.format.found || !chunks.data.found ||
      !ReadFormat(data + chunks.format.offset, chunks.format.size, format))
    return nullptr;
  size_t sample_bytes = size_t(format.bits / 8);
  size_t count =
      chunks.data.size / (sample_bytes * size_t(format.channels)) * size_t(format.channels);
  count = std::min(count, kMaxSamples / size_t(format.channels) * size_t(format.channels));
  auto pcm = std::make_shared<Pcm>();
  pcm->rate = format.rate;
  pcm->channels = format.channels;
  pcm->samples.resize(count);
  const uint8_t* in = data + chunks.data.offset;
  for (size_t i = 0; i < count; ++i)
    pcm->samples[i] = PcmSample(in + i * sample_bytes, format.bits);
  return pcm;
}

// ---------------------------------------------------------------------------
// Ogg Vorbis
// ---------------------------------------------------------------------------

namespace {

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  size_t at;
};

size_t MemoryRead(void* out, size_t item, size_t items, void* source) {
  auto* file = static_cast<MemoryFile*>(source);
  if (item == 0) return 0;
  size_t count = std::min(items, (file->size - file->at) / item);
  std::memcpy(out, file->data + file->at, count * item);
  file->at += count * item;
  return count;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(source);
  ogg_int64_t base = whence == SEEK_CUR   ? ogg_int64_t(file->at)
                     : whence == SEEK_END ? ogg_int64_t(file->size)
                                          : 0;
  if (offset < -base || offset > ogg_int64_t(file->size) - base) return -1;
  file->at = size_t(base + offset);
  return 0;
}

long MemoryTell(void* source) { return long(static_cast<MemoryFile*>(source)->at); }

// Appends every decoded frame; false on a decoding error.
bool ReadAllFrames(OggVorbis_File& vorbis, Pcm& pcm) {
  const size_t frame_limit = kMaxSamples / size_t(pcm.channels);
  int section = 0;
  while (pcm.samples.size() / size_t(pcm.channels) < frame_limit) {
    float** planes = nullptr;
    long frames = ov_read_float(&vorbis, &planes, 4096, &section);
    if (frames == 0) return true;
    if (frames == OV_HOLE) continue;  // a gap in the stream, not the end of it
    if (frames < 0) return false;
    // A chained stream may change its layout; such files are not sounds here.
    vorbis_info* info = ov_info(&vorbis, section);
    if (!info || info->channels != pcm.channels) return false;
    size_t keep = std::min(size_t(frames), frame_limit - pcm.samples.size() / size_t(pcm.channels));
    for (size_t f = 0; f < keep; ++f)
      for (int32_t c = 0; c < pcm.channels; ++c)
        pcm.samples.push_back(std::clamp(planes[c][f], -1.0f, 1.0f));
  }
  return true;
}

}  // namespace

PcmRef DecodeOgg(const uint8_t* data, size_t size) {
  if (!data) return nullptr;
  MemoryFile file{data, size, 0};
  ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
  OggVorbis_File vorbis;
  if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0) return nullptr;
  auto pcm = std::make_shared<Pcm>();
  vorbis_info* info = ov_info(&vorbis, -1);
  bool good = info && UsableLayout(info->channels, info->rate);
  if (good) {
    pcm->rate = int32_t(info->rate);
    pcm->channels = info->channels;
    good = ReadAllFrames(vorbis, *pcm);
  }
  ov_clear(&vorbis);
  return good ? pcm : nullptr;
}

PcmRef DecodeSound(const uint8_t* data, size_t size) {
  if (HasTag(data, size, 0, "RIFF")) return DecodeWav(data, size);
  if (HasTag(data, size, 0, "OggS")) return DecodeOgg(data, size);
  return nullptr;
}

PcmRef LoadSoundFile(const std::string& path_utf8) {
  auto bytes = ReadOutsideFile(path_utf8, size_t(kMaxSoundFileBytes));
  return bytes ? DecodeSound(bytes->data(), bytes->size()) : nullptr;
}

}  // namespace platform::audio
