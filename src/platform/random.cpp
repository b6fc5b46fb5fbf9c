// The one random generator of the whole system. Its exact sequence is part
// of the preset format: a stored seed must rebuild the same sprite.
#include <cstdint>

#include "platform.h"

namespace {

constexpr int64_t kModulus = 2147483647;  // 2^31 - 1
constexpr int32_t kUnseededState = 4660;

int32_t state = kUnseededState;

// Park-Miller minimal standard: state * 48271 mod (2^31 - 1). The modulus is
// a Mersenne prime, so the product's bits above 31 fold back onto its low 31
// bits (2^31 = 1 mod m) without a division. The state stays in 1 .. m - 1.
int32_t Step() {
  const uint64_t product = uint64_t(uint32_t(state)) * 48271u;
  uint64_t folded = (product & uint64_t(kModulus)) + (product >> 31);
  if (folded >= uint64_t(kModulus)) folded -= uint64_t(kModulus);
  state = static_cast<int32_t>(folded);
  return state;
}

// A value in [0, 1) with 53 significant bits, exact in a double.
double Draw() {
  int32_t s1 = Step();
  int32_t s2 = Step();
  return ((s1 & 0x1ffffffc) + (s2 & 0x1ffffff8) / 134217728.0) / 536870912.0;
}

}  // namespace

void fw_seed_rnd(int32_t seed) {
  state = seed & 0x7fffffff;
  if (state == 0 || state == 0x7fffffff) state = kUnseededState;
}

int32_t fw_rand_int(int32_t a, int32_t b) {
  double d = Draw();
  int64_t lo = a < b ? a : b;
  int64_t count = (a < b ? int64_t(b) - a : int64_t(a) - b) + 1;
  int64_t result = lo + static_cast<int64_t>(d * double(count));
  return static_cast<int32_t>(static_cast<uint32_t>(result));
}

namespace platform {
int32_t RandomState() { return state; }
}  // namespace platform
