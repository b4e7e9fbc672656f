// Windowed-sinc interpolation with a Blackman window; the cut-off sits a little below the
// lower of the two half rates, where the window's transition band ends. The ratio of two
// whole rates repeats its fractional offsets, so one kernel per offset is computed once.
#include "tools/voicebuild/resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace Resample {
namespace {

constexpr int kHalfTaps = 32;       // zero crossings of the sinc kept on each side
constexpr long kMaxPhases = 4096;   // above this, kernels are computed per sample

double Sinc(double x) {
  if (std::abs(x) < 1e-9) return 1.0;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

double Blackman(double x, double halfWidth) {  // x in [-halfWidth, halfWidth]
  const double t = (x / halfWidth + 1.0) / 2.0;
  return 0.42 - 0.5 * std::cos(2 * std::numbers::pi * t) + 0.08 * std::cos(4 * std::numbers::pi * t);
}

struct Kernel {
  long first = 0;  // offset of the first tap from floor(centre)
  std::vector<float> taps;
};

// Taps for an output sample whose centre lies `fraction` past an input sample.
Kernel MakeKernel(double fraction, double cutoff, double halfWidth) {
  Kernel k;
  k.first = static_cast<long>(std::ceil(fraction - halfWidth));
  const long last = static_cast<long>(std::floor(fraction + halfWidth));
  for (long i = k.first; i <= last; ++i) {
    const double x = i - fraction;
    k.taps.push_back(static_cast<float>(cutoff * Sinc(cutoff * x) * Blackman(x, halfWidth)));
  }
  return k;
}

float Apply(const std::vector<float>& input, long base, const Kernel& k) {
  const auto size = static_cast<long>(input.size());
  double sum = 0.0;
  for (std::size_t t = 0; t < k.taps.size(); ++t) {
    const long i = base + k.first + static_cast<long>(t);
    if (i >= 0 && i < size) sum += input[static_cast<std::size_t>(i)] * k.taps[t];
  }
  return static_cast<float>(sum);
}

}  // namespace

std::vector<float> ToRate(const std::vector<float>& input, int inputRate, int outputRate) {
  if (inputRate <= 0 || outputRate <= 0 || input.empty()) return {};
  if (inputRate == outputRate) return input;
  const double step = static_cast<double>(inputRate) / outputRate;  // input samples per output
  const double cutoff = 0.9 * std::min(1.0, 1.0 / step);            // of the input's half rate
  const double halfWidth = kHalfTaps / cutoff;
  const auto outCount = static_cast<std::size_t>(std::floor((input.size() - 1) / step)) + 1;
  std::vector<float> out(outCount);

  // Output n sits at n * in / out input samples: its fraction depends on n mod (out / g).
  const long g = std::gcd(inputRate, outputRate);
  const long phases = outputRate / g;
  const long advance = inputRate / g;
  std::vector<Kernel> kernels;
  if (phases <= kMaxPhases)
    for (long p = 0; p < phases; ++p)
      kernels.push_back(MakeKernel(static_cast<double>((p * advance) % phases) / phases, cutoff, halfWidth));

  for (std::size_t n = 0; n < outCount; ++n) {
    const long position = static_cast<long>(n) * advance;  // in 1/phases of an input sample
    const long base = position / phases;
    if (!kernels.empty()) out[n] = Apply(input, base, kernels[n % static_cast<std::size_t>(phases)]);
    else out[n] = Apply(input, base, MakeKernel(static_cast<double>(position % phases) / phases, cutoff, halfWidth));
  }
  return out;
}

}  // namespace Resample
