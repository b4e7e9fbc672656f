// The 8-bit rounding of the diphone database builder: its noise falls towards the top of
// the band, stays within two steps of the level, and no sample crosses silence.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tools/voicebuild/diphones/unit_level.h"

namespace {

TEST(DiphoneQuantise, NoiseFollowsTheVoiceDownTheBandAndKeepsEachSampleSide) {
  // A voice-like level: harmonics of 110 Hz at 11025 Hz that fall with frequency.
  std::vector<float> levels;
  for (int n = 0; n < 11025; ++n) {
    double v = 0;
    for (int h = 1; h <= 40; ++h) v += 60.0 / h * std::sin(2 * std::numbers::pi * 110.0 * h * n / 11025 + h * 0.7);
    levels.push_back(static_cast<float>(v / 3));
  }
  const std::vector<int> steps = UnitLevel::Quantise(levels);
  ASSERT_EQ(steps.size(), levels.size());
  // The error's neighbours move together (a low-pass noise); plain rounding's do not.
  double same = 0, power = 0;
  float previous = 0;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const float e = static_cast<float>(steps[i]) - levels[i];
    EXPECT_LE(std::fabs(e), 2.0f) << i;
    if (levels[i] < 0) EXPECT_LE(steps[i], 0) << i;
    else EXPECT_GE(steps[i], 0) << i;
    same += double(e) * previous, power += double(e) * e;
    previous = e;
  }
  EXPECT_GT(same / power, 0.3);
}

}  // namespace
