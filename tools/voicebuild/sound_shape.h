// Turns a synthesized sound into the level and length of a recorded word: silence trimmed
// from both ends, peak normalised, then quantised to 8-bit unsigned samples.
#pragma once

#include <cstdint>
#include <vector>

namespace SoundShape {

// Cuts what lies below the silence threshold at both ends, keeping keepSamples of it on
// each side so the first and last sounds are not clipped. Empty when all of it is silence.
std::vector<float> TrimSilence(const std::vector<float>& sound, std::size_t keepSamples);

// Scales the sound so that its peak is `peak` of full scale (0 < peak < 1).
std::vector<float> Normalise(const std::vector<float>& sound, float peak);

// Full scale ±1 to unsigned 8-bit, 128 = silence; values beyond full scale are limited.
std::vector<uint8_t> ToUnsigned8(const std::vector<float>& sound);

}  // namespace SoundShape
