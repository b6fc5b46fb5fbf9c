// Small text operations of the engine: fields, hexadecimal digits, shuffles,
// the in-place scramblers, run-length coding and grouped numbers.
#include <vector>

#include "engine.h"

namespace engine {

namespace {

const Text kMissingField = u"-+-";

// The first occurrence of `sep` at or after `start`; an empty separator is
// never found, so it cannot stall the search.
int32_t FindSeparator(const Text& text, const Text& sep, int32_t start) {
  return sep.empty() ? 0 : fw_instr(text, sep, start);
}

// In mode 1 a blank before `limit` ends the field; 0 when there is none.
int32_t BlankBefore(const Text& text, int32_t start, int32_t limit, int32_t mode) {
  if (mode != 1) return 0;
  int32_t blank = fw_instr(text, u" ", start);
  return blank > 0 && blank < limit ? blank : 0;
}

}  // namespace

Text SplitField(const Text& text, const Text& sep, int32_t n, int32_t mode) {
  Text trimmed = fw_trim(text);
  int32_t start = 1;
  for (int32_t search = 1; search < n; ++search) {
    int32_t found = FindSeparator(trimmed, sep, start);
    if (found == 0) {
      if (search > 1) return kMissingField;
      continue;  // no separator at all: field 2 is the whole text
    }
    int32_t blank = BlankBefore(trimmed, start, found, mode);
    start = blank > 0 ? blank + 1 : found + static_cast<int32_t>(sep.size());
  }
  int32_t end = FindSeparator(trimmed, sep, start);
  if (end == 0) return fw_mid(trimmed, start);
  int32_t blank = BlankBefore(trimmed, start, end, mode);
  if (blank > 0) end = blank;
  return fw_mid(trimmed, start, end - start);
}

Text KeyOfPair(const Text& text) { return fw_upper(fw_trim(SplitField(text, u"=", 1, 0))); }

Text ValueOfPair(const Text& text) { return fw_trim(SplitField(text, u"=", 2, 0)); }

// Capital "A" to "F" only; every character that is not a digit counts 0.
int32_t HexToInt(const Text& text) {
  int32_t result = 0;
  for (char16_t c : text) {
    int32_t value = 0;
    if (c >= u'0' && c <= u'9') value = c - u'0';
    if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
    result = wrap_add(wrap_mul(result, 16), value);
  }
  return result;
}

Text ShuffleString(const Text& text) {
  Text table = text;
  int32_t n = static_cast<int32_t>(table.size());
  for (int32_t i = 1; i <= n; ++i) {
    int32_t j = fw_rand_int(1, n);
    std::swap(table[size_t(i - 1)], table[size_t(j - 1)]);
  }
  return table;
}

namespace {

// One scrambler step at 1-based position i: XOR with a partner character
// chosen by the character two places further on, never the character itself.
void ScrambleStep(Text& t, int64_t i) {
  int64_t n = static_cast<int64_t>(t.size());
  auto at = [&](int64_t position) -> char16_t& { return t[size_t(position - 1)]; };
  int64_t d = at(((i + 1) % n) + 1);
  if (((i + d) % n) + 1 == i) ++d;
  int64_t partner = ((i + d) % n) + 1;
  at(i) = char16_t(at(i) ^ at(partner));
}

Text ScrambleInPlace(const Text& text, bool forward) {
  Text t = text;
  int64_t n = static_cast<int64_t>(t.size());
  for (int64_t k = 1; k <= n; ++k) ScrambleStep(t, forward ? k : n + 1 - k);
  return t;
}

constexpr int32_t kLongestRun = 52;
constexpr int32_t kRunsPerGroup = 10;

char16_t CountLetter(int32_t count) { return char16_t(count <= 26 ? 64 + count : 70 + count); }

}  // namespace

Text ScrambleForward(const Text& text) { return ScrambleInPlace(text, true); }

Text ScrambleBackward(const Text& text) { return ScrambleInPlace(text, false); }

Text RunLengthEncode(const Text& text) {
  Text out;
  int32_t runs = 0;
  for (size_t i = 0; i < text.size();) {
    size_t run_end = i + 1;
    while (run_end < text.size() && text[run_end] == text[i] && run_end - i < size_t(kLongestRun))
      ++run_end;
    if (runs > 0 && runs % kRunsPerGroup == 0) out += u' ';
    out += CountLetter(static_cast<int32_t>(run_end - i));
    out += text[i];
    ++runs;
    i = run_end;
  }
  return out;
}

Text RunLengthDecode(const Text& text) {
  Text out;
  for (size_t i = 0; i + 1 < text.size();) {
    char16_t c = text[i];
    if (c < 65 || c > 122) {
      ++i;
      continue;
    }
    int32_t count = c <= 90 ? c - 64 : c - 70;
    out.append(size_t(count), text[i + 1]);
    i += 2;
  }
  return out;
}

// A negative number keeps its sign in front of the grouped digits:
// -1234567 gives "-1,234,567".
Text FormatThousands(int32_t n, const Text& prefix) {
  int64_t value = n;
  Text digits = rt_string_from_long(value < 0 ? -value : value);
  Text grouped;
  for (size_t copied = 0; copied < digits.size(); ++copied) {
    if (copied > 0 && copied % 3 == 0) grouped.insert(grouped.begin(), u',');
    grouped.insert(grouped.begin(), digits[digits.size() - 1 - copied]);
  }
  return prefix + (value < 0 ? u"-" : u"") + grouped;
}

}  // namespace engine
