// The one random generator of the whole system. Its exact sequence is part
// of the preset format: a stored seed must rebuild the same sprite. The
// step and the draw are inline in platform.h.
#include <cstdint>

#include "internal.h"

namespace platform {

namespace {
constexpr int32_t kUnseededState = 4660;
}  // namespace

int32_t random_state = kUnseededState;

int32_t RandomState() { return random_state; }

void ResetRandom() { random_state = kUnseededState; }

}  // namespace platform

void fw_seed_rnd(int32_t seed) {
  int32_t& state = platform::random_state;
  state = seed & 0x7fffffff;
  if (state == 0 || state == 0x7fffffff) state = platform::kUnseededState;
}
