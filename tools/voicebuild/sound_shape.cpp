// Trimming, level and quantisation of the recorded words.
#include "tools/voicebuild/sound_shape.h"

#include <algorithm>
#include <cmath>

namespace SoundShape {
namespace {

// Relative to the sound's own peak: eSpeak's tails and breaths fall well below this.
constexpr float kSilenceFraction = 0.02f;

}  // namespace

std::vector<float> TrimSilence(const std::vector<float>& sound, std::size_t keepSamples) {
  float peak = 0.0f;
  for (float s : sound) peak = std::max(peak, std::abs(s));
  if (peak <= 0.0f) return {};
  const float threshold = peak * kSilenceFraction;
  const auto loud = [threshold](float s) { return std::abs(s) > threshold; };
  const auto first = std::find_if(sound.begin(), sound.end(), loud);
  const auto last = std::find_if(sound.rbegin(), sound.rend(), loud).base();
  const auto begin = static_cast<std::size_t>(first - sound.begin());
  const auto end = static_cast<std::size_t>(last - sound.begin());
  const std::size_t from = begin > keepSamples ? begin - keepSamples : 0;
  const std::size_t to = std::min(sound.size(), end + keepSamples);
  return {sound.begin() + static_cast<long>(from), sound.begin() + static_cast<long>(to)};
}

std::vector<float> Normalise(const std::vector<float>& sound, float peak) {
  float max = 0.0f;
  for (float s : sound) max = std::max(max, std::abs(s));
  if (max <= 0.0f) return sound;
  std::vector<float> out(sound);
  const float gain = peak / max;
  for (float& s : out) s *= gain;
  return out;
}

std::vector<uint8_t> ToUnsigned8(const std::vector<float>& sound) {
  std::vector<uint8_t> out;
  out.reserve(sound.size());
  for (float s : sound) {
    const long v = std::lround(128.0f + 127.0f * std::clamp(s, -1.0f, 1.0f));
    out.push_back(static_cast<uint8_t>(std::clamp(v, 0L, 255L)));
  }
  return out;
}

}  // namespace SoundShape
