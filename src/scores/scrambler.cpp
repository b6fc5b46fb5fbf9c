// The text scrambler of the score file: a line becomes upper-case
// hexadecimal digits carrying two checksums, and back.
#include "engine/engine.h"
#include "scores.h"

namespace scores {

// Part of the score file format: changing it makes every stored record
// unreadable.
const Text Tagline = u"Quill Retro: sprites made by code";
Text DefaultScrambleKey;

namespace {

const Text kFailure = u"XXX";
constexpr int32_t kChecksumDigits = 6;
constexpr size_t kShortestScrambledPairs = 13;  // two checksums and a character

int32_t Checksum(const Text& text) {
  int64_t sum = 0;
  for (size_t i = 0; i < text.size(); ++i)
    sum = (sum + int64_t(text[i]) * int64_t(i + 1) * 3) % 4096;
  return static_cast<int32_t>(sum);
}

Text ChecksumText(int32_t checksum) {
  return fw_right(u"000000" + rt_string_from_int(checksum), kChecksumDigits);
}

// Left by `amount` places; `back` undoes it. Remainders keep the dividend's
// sign, so a negative amount read from a damaged text stays in range.
Text Rotate(const Text& text, int64_t amount, bool back) {
  int64_t n = static_cast<int64_t>(text.size());
  if (n == 0) return text;
  int64_t shift = amount % n;
  Text out(text.size(), u'\0');
  for (int64_t i = 0; i < n; ++i) {
    int64_t from = back ? (i - shift) % n : (i + shift) % n;
    if (from < 0) from += n;
    out[size_t(i)] = text[size_t(from)];
  }
  return out;
}

char16_t KeyCharacter(const Text& key, size_t position) { return key[position % key.size()]; }

// XORs each character with the key character of its 1-based position.
Text CombineWithKey(const Text& text, const Text& key) {
  Text out = text;
  for (size_t i = 0; i < out.size(); ++i) out[i] = char16_t(out[i] ^ KeyCharacter(key, i + 1));
  return out;
}

// One pass: rotate by the checksum, then append the checksum's digits.
Text AddChecksum(const Text& text) {
  int32_t checksum = Checksum(text);
  return Rotate(text, checksum, false) + ChecksumText(checksum);
}

// Undoes AddChecksum; false when the checksum does not match.
bool RemoveChecksum(Text& text) {
  int32_t expected = rt_string_to_int(fw_right(text, kChecksumDigits));
  text = Rotate(text.substr(0, text.size() - kChecksumDigits), expected, true);
  return Checksum(text) == expected;
}

// An empty key selects the default key, built here if start-up has not yet.
const Text& ChooseKey(const Text& key) {
  if (!key.empty()) return key;
  if (DefaultScrambleKey.empty()) BuildDefaultScrambleKey();
  return DefaultScrambleKey;
}

}  // namespace

Text ScrambleText(const Text& text, const Text& key) {
  const Text& k = ChooseKey(key);
  Text second = AddChecksum(CombineWithKey(AddChecksum(text), k));
  Text digits;
  digits.reserve(second.size() * 2);
  for (size_t i = 0; i < second.size(); ++i) {
    digits += fw_right(fw_hex(second[i] ^ KeyCharacter(k, i + 1)), 2);
  }
  rt_gc_collect();
  return digits;
}

// Texts too short to hold both checksums and one character fail like a
// damaged one.
Text UnscrambleText(const Text& scrambled, const Text& key) {
  size_t pairs = scrambled.size() / 2;
  if (pairs < kShortestScrambledPairs) return kFailure;
  const Text& k = ChooseKey(key);
  Text text(pairs, u'\0');
  for (size_t i = 0; i < pairs; ++i) {
    int32_t value = engine::HexToInt(scrambled.substr(2 * i, 2));
    text[i] = char16_t(value ^ KeyCharacter(k, i + 1));
  }
  if (!RemoveChecksum(text)) return kFailure;
  text = CombineWithKey(text, k);
  if (!RemoveChecksum(text)) return kFailure;
  rt_gc_collect();
  return text;
}

int32_t BuildDefaultScrambleKey() {
  const Text title = engine::TitleName + u" " + engine::TitleSubName;
  const int64_t week = engine::WeekNumber;
  DefaultScrambleKey.clear();
  int64_t steps = int64_t(title.size() + Tagline.size());
  for (int64_t i = 1; i <= steps; ++i) {
    int64_t c = title[size_t(i) % title.size()];
    c = (c + week + 7 * i) % 76 + 32;
    c = (c + week + 5 * i) % 75 + 31;
    int64_t d = Tagline[size_t(i) % Tagline.size()];
    d = (d + week + 3 * i) % 74 + 34;
    d = (d + week + 11 * i) % 71 + 36;
    DefaultScrambleKey += char16_t(c);
    DefaultScrambleKey += char16_t(d);
  }
  return 0;
}

}  // namespace scores
