// The 8-bit rounding of the diphone database builder: its noise falls towards the top of
// the band, stays within two steps of the level, and no sample crosses silence.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/voicebuild/diphones/unit_level.h"

TEST(DiphoneQuantise, NoiseFollowsTheVoiceDownTheBandAndKeepsEachSampleSide) {
  std::vector<float> levels;  // harmonics of 110 Hz at 11025 Hz, falling with frequency
  for (int n = 0; n < 11025; ++n) {
    double v = 0;
    for (int h = 1; h <= 40; ++h) v += 20.0 / h * std::sin(2 * M_PI * 110.0 * h * n / 11025 + h * 0.7);
    levels.push_back(static_cast<float>(v));
  }
  const std::vector<int> steps = UnitLevel::Quantise(levels);
  double same = 0, power = 0, previous = 0;  // neighbouring errors move together: low-pass noise
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const double e = steps[i] - levels[i];
    ASSERT_LE(std::fabs(e), 2.0) << i;
    ASSERT_TRUE(levels[i] < 0 ? steps[i] <= 0 : steps[i] >= 0) << i;
    same += e * previous, power += e * e, previous = e;
  }
  EXPECT_GT(same / power, 0.3);
}
