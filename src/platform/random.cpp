// The one random generator of the whole system. Its exact sequence is part
// of the preset format: a stored seed must rebuild the same sprite.
#include <cstdint>

#include "internal.h"

namespace {

constexpr int64_t kModulus = 2147483647;  // 2^31 - 1
constexpr int32_t kUnseededState = 4660;

int32_t state = kUnseededState;

// Park-Miller minimal standard (multiplier 48271) in Schrage's form.
int32_t Step() {
  int64_t next = int64_t(state % 44488) * 48271 - int64_t(state / 44488) * 3399;
  if (next < 0) next += kModulus;
  state = static_cast<int32_t>(next);
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
void ResetRandom() { state = kUnseededState; }
}  // namespace platform
