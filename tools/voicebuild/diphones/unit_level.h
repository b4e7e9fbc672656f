// The loudness of the diphone database: units levelled at their edges so that two units
// meeting inside a phone meet at that phone's level, and the whole database brought to
// one level below full scale as 8-bit samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace UnitLevel {

struct Unit {
  std::string name;
  std::vector<float> samples;  // 16-bit scale
  int firstPhone = -1;         // the phone the unit begins in, -1 when it begins in a pause
  int lastPhone = -1;          // the phone it ends in, -1 when it ends in a pause
};

// Samples measured at each edge of a unit (10 ms at 11025 Hz).
inline constexpr std::size_t kEdgeSamples = 110;
// The level the loud parts of the database are brought to, and the limit no sample passes
// (of full scale).
inline constexpr float kLoud = 0.8f;
inline constexpr float kLimit = 0.96f;

// The RMS of the first or last kEdgeSamples of a unit.
float EdgeLevel(const std::vector<float>& samples, bool atEnd);

// Gives every edge inside a phone the median level of that phone's edges, the gain
// going linearly from one edge's stretch of a unit to the other's (an edge in a pause takes the
// other edge's gain).
void LevelEdges(std::vector<Unit>& units);

// Levels (in 8-bit steps, 0 silence) rounded to whole steps with the rounding error shaped:
// part of each error is carried into the next sample, so that the noise of 8-bit samples
// falls off towards the top of the band as the voice does, instead of lying evenly over it.
// A sample never crosses to the other side of silence.
std::vector<int> Quantise(const std::vector<float>& levels);

// One gain for the whole database (its loud samples at kLoud), the few beyond bent
// softly below kLimit, then 8-bit unsigned through Quantise, 128 silence.
std::vector<std::vector<uint8_t>> ToBytes(const std::vector<Unit>& units);

}  // namespace UnitLevel
