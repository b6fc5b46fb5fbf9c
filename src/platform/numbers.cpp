// Number conversions and 32-bit arithmetic without undefined behaviour.
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform.h"

int32_t rt_float_to_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// Both go through 64 bits, where INT_MIN / -1 is representable; the cast back
// wraps it to INT_MIN. A zero divisor gives 0 rather than a trap.
int32_t wrap_div(int32_t a, int32_t b) {
  if (b == 0) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(int64_t(a) / int64_t(b)));
}

int32_t wrap_mod(int32_t a, int32_t b) {
  if (b == 0) return 0;
  return static_cast<int32_t>(int64_t(a) % int64_t(b));
}

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

double fw_sin_deg(double degrees) { return std::sin(degrees * kRadiansPerDegree); }

double fw_cos_deg(double degrees) { return std::cos(degrees * kRadiansPerDegree); }
