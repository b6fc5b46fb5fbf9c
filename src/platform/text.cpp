// Texts: 16-bit code units, 1-based positions.
#include <algorithm>

#include "platform.h"

namespace platform {

namespace {

// A byte that is not part of a valid UTF-8 sequence travels as a lone low
// surrogate U+DC80..U+DCFF, which no valid sequence decodes to, so every name
// the system reads comes back to the OS as the very bytes it was read from.
// Bytes below 0x80 always decode, so only 0x80..0xFF are ever carried.
constexpr char16_t kByteEscapeBase = 0xDC00;
constexpr char16_t kFirstByteEscape = 0xDC80;
constexpr char16_t kLastByteEscape = 0xDCFF;

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The code point of the well-formed sequence at `at` and its length in
// bytes, or a length of 0 when the bytes there are not one (overlong forms,
// encoded surrogates and values past U+10FFFF included).
uint32_t DecodeSequence(const std::string& utf8, size_t at, size_t& length) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[at + k]); };
  const unsigned char lead = byte(0);
  length = 0;
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  const size_t extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                       : lead >= 0xE0 && lead <= 0xEF ? 2
                       : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                      : 0;
  if (extra == 0 || at + extra >= utf8.size()) return 0;
  // The second byte's range rules out overlong forms, surrogates and values
  // past U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (byte(1) < low || byte(1) > high) return 0;
  uint32_t c = lead & (0x7F >> (extra + 1));
  for (size_t k = 1; k <= extra; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(k) & 0x3F);
  }
  length = extra + 1;
  return c;
}

}  // namespace

std::string ToUtf8(const Text& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= kFirstByteEscape && c <= kLastByteEscape) {
      out += char(c - kByteEscapeBase);
      continue;
    }
    AppendUtf8(c, out);
  }
  return out;
}

Text FromUtf8(const std::string& utf8) {
  Text out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    size_t length = 0;
    uint32_t c = DecodeSequence(utf8, i, length);
    if (length == 0) {
      out += char16_t(kByteEscapeBase + static_cast<unsigned char>(utf8[i]));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += length;
  }
  return out;
}

// Each character turns into UTF-8 on its own, so the bytes add up.
Text Utf8Prefix(const Text& text, size_t bytes) {
  size_t end = 0, used = 0;
  while (end < text.size()) {
    const size_t units = CharacterUnitsAt(text, end);
    used += ToUtf8(text.substr(end, units)).size();
    if (used > bytes) break;
    end += units;
  }
  return text.substr(0, end);
}

Text FromBytes(const std::string& bytes) {
  Text out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::string ToBytes(const Text& text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i] & 0xFF);
  return out;
}

}  // namespace platform

Text rt_string_from_long(int64_t value) { return platform::FromBytes(std::to_string(value)); }

Text rt_string_from_int(int32_t value) { return rt_string_from_long(value); }

namespace {

int64_t Length(const Text& text) { return static_cast<int64_t>(text.size()); }

// Unicode simple case pairs of the 16-bit range we care about. A range
// `first`..`last` of upper-case letters maps to lower case by adding `delta`;
// `step` 2 marks the blocks where upper and lower case alternate.
struct CasePairs {
  char16_t first;
  char16_t last;
  int32_t delta;
  int32_t step;
};

constexpr CasePairs kCasePairs[] = {
    {0x0041, 0x005A, 32, 1}, {0x00C0, 0x00D6, 32, 1},   {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2},  {0x0132, 0x0136, 1, 2},    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},  {0x0178, 0x0178, -121, 1}, {0x0179, 0x017D, 1, 2},
    {0x0386, 0x0386, 38, 1}, {0x0388, 0x038A, 37, 1},   {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1}, {0x0391, 0x03A1, 32, 1},   {0x03A3, 0x03AB, 32, 1},
    {0x03D8, 0x03EE, 1, 2},  {0x0400, 0x040F, 80, 1},   {0x0410, 0x042F, 32, 1},
    {0x0460, 0x0480, 1, 2},  {0x048A, 0x04BE, 1, 2},    {0x04C0, 0x04C0, 15, 1},
    {0x04C1, 0x04CD, 1, 2},  {0x04D0, 0x052E, 1, 2},
};

// Letters whose case mapping goes one way only (dotless i, long s, final
// sigma, capital I with dot).
struct OneWayCase {
  char16_t from;
  char16_t to;
};
constexpr OneWayCase kExtraUpper[] = {{0x0131, 0x0049}, {0x017F, 0x0053}, {0x03C2, 0x03A3}};
constexpr OneWayCase kExtraLower[] = {{0x0130, 0x0069}};

template <size_t N>
bool MapOneWay(const OneWayCase (&table)[N], char16_t& c) {
  for (const OneWayCase& entry : table) {
    if (entry.from == c) {
      c = entry.to;
      return true;
    }
  }
  return false;
}

char16_t ChangeCase(char16_t c, bool to_upper) {
  if (c < 0x80) {
    if (to_upper && c >= u'a' && c <= u'z') return char16_t(c - 32);
    if (!to_upper && c >= u'A' && c <= u'Z') return char16_t(c + 32);
    return c;
  }
  if (to_upper ? MapOneWay(kExtraUpper, c) : MapOneWay(kExtraLower, c)) return c;
  for (const CasePairs& pairs : kCasePairs) {
    // Search from the side of the case we have.
    int32_t offset = to_upper ? pairs.delta : 0;
    int32_t from = pairs.first + offset;
    int32_t to = pairs.last + offset;
    if (c < from || c > to || (c - from) % pairs.step != 0) continue;
    return char16_t(to_upper ? c - pairs.delta : c + pairs.delta);
  }
  return c;
}

Text ChangeCase(const Text& text, bool to_upper) {
  Text out = text;
  for (char16_t& c : out) c = ChangeCase(c, to_upper);
  return out;
}

bool IsBlank(char16_t c) { return c < 33; }

int32_t DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return 99;
}

}  // namespace

Text fw_mid(const Text& text, int32_t pos, int32_t size) {
  bool to_end = size < 0;
  int64_t start = pos;
  int64_t count = size;
  if (start < 1) {
    if (!to_end) count -= 1 - start;
    start = 1;
  }
  if (start > Length(text)) return Text();
  int64_t available = Length(text) - start + 1;
  if (to_end || count > available) count = available;
  if (count <= 0) return Text();
  return text.substr(size_t(start - 1), size_t(count));
}

Text fw_left(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  return text.substr(0, size_t(n));
}

Text fw_right(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  size_t count = std::min(text.size(), size_t(n));
  return text.substr(text.size() - count);
}

int32_t fw_instr(const Text& text, const Text& part, int32_t start) {
  int64_t from = start < 1 ? 1 : start;
  if (from > Length(text) + 1) return 0;
  size_t found = text.find(part, size_t(from - 1));
  return found == Text::npos ? 0 : static_cast<int32_t>(found + 1);
}

// An empty `find` matches nothing, so the text comes back unchanged.
Text fw_replace(const Text& text, const Text& find, const Text& with) {
  if (find.empty()) return text;
  Text out;
  size_t from = 0;
  for (size_t at = text.find(find); at != Text::npos; at = text.find(find, from)) {
    out.append(text, from, at - from);
    out += with;
    from = at + find.size();
  }
  out.append(text, from, Text::npos);
  return out;
}

Text fw_trim(const Text& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

Text fw_upper(const Text& text) { return ChangeCase(text, true); }

Text fw_lower(const Text& text) { return ChangeCase(text, false); }

Text fw_hex(int32_t value) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  Text out(8, u'0');
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 7; i >= 0; --i, bits >>= 4) out[size_t(i)] = kDigits[bits & 15];
  return out;
}

// Digits accumulate in unsigned 64-bit arithmetic, so overflow wraps quietly
// as callers expect; the 32-bit form is the same value cut to 32 bits.
int64_t rt_string_to_long(const Text& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  uint32_t base = 10;
  if (i < text.size() && text[i] == u'%') {
    base = 2;
    ++i;
  } else if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  }
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    int32_t digit = DigitValue(text[i]);
    if (digit >= int32_t(base)) break;
    value = value * base + uint64_t(digit);
  }
  if (negative) value = 0 - value;
  return static_cast<int64_t>(value);
}

int32_t rt_string_to_int(const Text& text) {
  return static_cast<int32_t>(static_cast<uint32_t>(rt_string_to_long(text)));
}

Text rt_string_from_char(int32_t code) { return Text(1, static_cast<char16_t>(code)); }

int32_t rt_string_first_char(const Text& text) { return text.empty() ? -1 : text[0]; }

int32_t rt_string_compare(const Text& a, const Text& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}
