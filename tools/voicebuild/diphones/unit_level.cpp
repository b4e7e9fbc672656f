// Edge levelling and the database's one gain (see the header).
#include "tools/voicebuild/diphones/unit_level.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "tools/voicebuild/edge_gains.h"

namespace UnitLevel {
namespace {

constexpr float kFullScale = 32768.0f;
// An edge quieter than 200 is a closure or a pause: left as it is.
constexpr EdgeGains::Limits<float> kLimits{200.0f, 0.33f, 3.0f};

std::string PhoneKey(int phone) { return phone >= 0 ? std::to_string(phone) : std::string(); }

// The share of the last rounding error taken off the next sample: the error's spectrum is
// 1 + 0.7 z^-1 of a flat one, following the voice's own (strong under 2 kHz, weak towards
// 5.5 kHz), so that the weak high formants and the hiss of s and x keep more of their
// level above the noise. (Noise pushed up high, as for music, made the listener worse.)
constexpr float kFeedback = -0.7f;
// Beyond this many steps the fed-back error is no longer followed (a run of clamped
// samples would let it grow).
constexpr float kMaxError = 2.0f;

}  // namespace

float EdgeLevel(const std::vector<float>& samples, bool atEnd) {
  const std::size_t n = std::min(kEdgeSamples, samples.size());
  if (n == 0) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const float x = samples[atEnd ? samples.size() - n + i : i];
    sum += double(x) * x;
  }
  return static_cast<float>(std::sqrt(sum / static_cast<double>(n)));
}

void LevelEdges(std::vector<Unit>& units) {
  std::vector<EdgeGains::Edge<float>> edges;
  for (const Unit& u : units) {
    edges.push_back({PhoneKey(u.firstPhone), EdgeLevel(u.samples, false)});
    edges.push_back({PhoneKey(u.lastPhone), EdgeLevel(u.samples, true)});
  }
  const std::map<std::string, float> target = EdgeGains::Targets(edges);
  for (std::size_t k = 0; k < units.size(); ++k) {
    Unit& u = units[k];
    float first = EdgeGains::Gain(edges[2 * k], target, kLimits);
    float last = EdgeGains::Gain(edges[2 * k + 1], target, kLimits);
    if (first < 0 && last < 0) continue;
    if (first < 0) first = last;
    if (last < 0) last = first;
    // Each edge's stretch takes its gain whole; between them the gain goes linearly.
    const std::size_t n = u.samples.size();
    const std::size_t edge = n > 2 * kEdgeSamples ? kEdgeSamples : 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t from = i < edge ? 0 : i - edge, span = n - 2 * edge;
      const float t = span > 1 ? std::min(1.0f, static_cast<float>(from) / static_cast<float>(span - 1)) : 0.0f;
      u.samples[i] *= first + (last - first) * t;
    }
  }
}

std::vector<int> Quantise(const std::vector<float>& levels) {
  std::vector<int> steps;
  steps.reserve(levels.size());
  float error = 0;  // the last rounding error
  for (float level : levels) {
    const float wanted = level + kFeedback * error;
    int step = static_cast<int>(std::lround(std::clamp(wanted, -126.0f, 126.0f)));
    // A sample keeps its side of silence, so the cuts at rising zero crossings stay there.
    step = level < 0 ? std::min(step, 0) : std::max(step, 0);
    error = std::clamp(wanted - static_cast<float>(step), -kMaxError, kMaxError);
    steps.push_back(step);
  }
  return steps;
}

std::vector<std::vector<uint8_t>> ToBytes(const std::vector<Unit>& units) {
  // The loud samples: the 99.9th percentile of the database's magnitudes.
  std::vector<float> magnitudes;
  for (const Unit& u : units)
    for (float x : u.samples) magnitudes.push_back(std::fabs(x));
  float loud = 1;
  if (!magnitudes.empty()) {
    const auto at = magnitudes.begin() + static_cast<long>(static_cast<double>(magnitudes.size() - 1) * 0.999);
    std::nth_element(magnitudes.begin(), at, magnitudes.end());
    loud = std::max(*at, 1.0f);
  }
  const float gain = kLoud * kFullScale / loud;
  constexpr float kKnee = kLoud, kRoom = kLimit - kLoud;
  std::vector<std::vector<uint8_t>> out;
  for (const Unit& u : units) {
    std::vector<float> levels;
    levels.reserve(u.samples.size());
    for (float x : u.samples) {
      float v = x * gain / kFullScale;
      const float m = std::fabs(v);
      if (m > kKnee) v = std::copysign(kKnee + kRoom * std::tanh((m - kKnee) / kRoom), v);
      levels.push_back(v * 128.0f);
    }
    std::vector<uint8_t> bytes;
    for (int step : Quantise(levels)) bytes.push_back(static_cast<uint8_t>(std::clamp(step + 128, 1, 254)));
    out.push_back(std::move(bytes));
  }
  return out;
}

}  // namespace UnitLevel
