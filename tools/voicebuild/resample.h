// Sample-rate conversion of synthesized speech to the 11025 Hz of the recorded files.
#pragma once

#include <vector>

namespace Resample {

// Band-limited conversion (windowed sinc): when lowering the rate, everything above the
// new half rate is filtered out first, so high voice harmonics do not fold back as noise.
std::vector<float> ToRate(const std::vector<float>& input, int inputRate, int outputRate);

}  // namespace Resample
