// Sines and cosines of angles in degrees; the conversions and the wrapping
// arithmetic are inline in platform.h.
#include <cmath>
#include <cstdint>

#include "platform.h"

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

double fw_sin_deg(double degrees) { return std::sin(degrees * kRadiansPerDegree); }

double fw_cos_deg(double degrees) { return std::cos(degrees * kRadiansPerDegree); }
