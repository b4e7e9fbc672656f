// Prosody stage: phoneme lines become MBROLA lines with durations and pitch points.
#pragma once

#include <string>
#include <vector>

namespace Sonora {

// Durations follow the durations table, lengthened from the stressed phoneme to the onset
// of the next syllable and shortened before it in long words; each word gets a pitch point
// on its first phoneme, its stressed phoneme and its last phoneme after the stress.
// Phoneme pairs the voice lacks get a 50 ms filler between them.
std::vector<std::string> ApplyProsody(const std::vector<std::string>& phonemeLines, double pitchFactor,
                                      double durationFactor);

}  // namespace Sonora
