#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_stage.h"

// std::minstd_rand is the same minimal-standard sequence, computed without
// Schrage's decomposition, so it serves as an independent reference.
namespace {
double ReferenceDraw(std::minstd_rand& reference) {
  uint32_t s1 = reference();
  uint32_t s2 = reference();
  return ((s1 & 0x1ffffffc) + (s2 & 0x1ffffff8) / 134217728.0) / 536870912.0;
}

// Schrage's decomposition of the step, which never needs more than 32-bit
// products: the reference the generator's sequence was defined by.
int32_t SchrageStep(int32_t state) {
  int32_t next = (state % 44488) * 48271 - (state / 44488) * 3399;
  return next < 0 ? next + 2147483647 : next;
}
}  // namespace

class Random : public platform_stage::PlatformCase {};

TEST_F(Random, StepMatchesSchragesFormAcrossTheStateRange) {
  std::vector<int32_t> states = {1, 2, 44487, 44488, 44489, 88976, 1 << 30, 2147483645, 2147483646};
  for (int64_t state = 3; state < 2147483647; state += 8191) states.push_back(int32_t(state));
  const int32_t kept = platform::RandomState();
  std::vector<int32_t> differing;
  for (int32_t state : states) {
    fw_seed_rnd(state);
    fw_rand_int(0, 0);
    if (platform::RandomState() != SchrageStep(SchrageStep(state))) differing.push_back(state);
  }
  fw_seed_rnd(kept);  // any state the generator can hold seeds back to itself
  EXPECT_EQ(differing, std::vector<int32_t>{});
}

TEST_F(Random, TenThousandthStepFromStateOne) {
  fw_seed_rnd(1);
  for (int call = 0; call < 5000; ++call) fw_rand_int(0, 1);
  EXPECT_EQ(platform::RandomState(), 399268537);
}

TEST_F(Random, StartsAt4660AndSeedingRules) {
  EXPECT_EQ(platform::RandomState(), 4660);
  for (int32_t seed : {0, -1, 2147483647}) {
    fw_seed_rnd(12);
    fw_seed_rnd(seed);
    EXPECT_EQ(platform::RandomState(), 4660) << seed;
  }
  fw_seed_rnd(-5);
  EXPECT_EQ(platform::RandomState(), 2147483643);
  fw_seed_rnd(-2147483647 - 1);
  EXPECT_EQ(platform::RandomState(), 4660);
}

TEST_F(Random, DrawsMatchTheReferenceSequence) {
  for (int32_t seed : {1, 4660, 123456789, 2147483646}) {
    fw_seed_rnd(seed);
    std::minstd_rand reference(static_cast<uint32_t>(seed));
    for (int call = 0; call < 2000; ++call) {
      int32_t lo = call % 7 - 3;
      int32_t hi = lo + call % 100;
      int32_t expected = lo + static_cast<int32_t>(ReferenceDraw(reference) * (hi - lo + 1));
      ASSERT_EQ(fw_rand_int(lo, hi), expected) << seed << " call " << call;
    }
  }
}

TEST_F(Random, EitherOrderAndEmptyRangesStillTakeTwoSteps) {
  fw_seed_rnd(99);
  int32_t forward = fw_rand_int(1, 5);
  fw_seed_rnd(99);
  EXPECT_EQ(fw_rand_int(5, 1), forward);
  fw_seed_rnd(99);
  EXPECT_EQ(fw_rand_int(3, 3), 3);
  std::minstd_rand reference(99);
  reference.discard(1);
  EXPECT_EQ(platform::RandomState(), int32_t(reference()));
}

TEST_F(Random, WholeIntegerRangeStaysInRange) {
  fw_seed_rnd(7);
  bool negative = false, positive = false;
  for (int call = 0; call < 1000; ++call) {
    int32_t value = fw_rand_int(-2147483647 - 1, 2147483647);
    negative |= value < 0;
    positive |= value > 0;
  }
  EXPECT_TRUE(negative && positive);
  for (int call = 0; call < 1000; ++call) {
    int32_t value = fw_rand_int(10, -10);
    ASSERT_GE(value, -10);
    ASSERT_LE(value, 10);
  }
}
