// A stretch is voiced when it correlates with itself one period later; voiced marks sit on
// the largest peak of each period, searched around where the period says the next one is,
// so the marks stay locked to the glottal pulses of the monotone recording.
#include "tools/voicebuild/mbrola/pitch_marks.h"

#include <cmath>

namespace PitchMarks {
namespace {

double Correlation(const std::vector<float>& s, long at, long length, long lag) {
  double xy = 0, xx = 0, yy = 0;
  for (long i = at; i < at + length; ++i) {
    if (i < 0 || i + lag >= static_cast<long>(s.size())) continue;
    const double x = s[static_cast<std::size_t>(i)], y = s[static_cast<std::size_t>(i + lag)];
    xy += x * y;
    xx += x * x;
    yy += y * y;
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

double Energy(const std::vector<float>& s, long at, long length) {
  double e = 0;
  long n = 0;
  for (long i = at; i < at + length; ++i)
    if (i >= 0 && i < static_cast<long>(s.size())) {
      e += static_cast<double>(s[static_cast<std::size_t>(i)]) * s[static_cast<std::size_t>(i)];
      ++n;
    }
  return n > 0 ? std::sqrt(e / static_cast<double>(n)) : 0.0;
}

bool Voiced(const std::vector<float>& s, long at, long p) {
  if (Energy(s, at - p, 2 * p) < 300) return false;
  return Correlation(s, at - p, 2 * p, p) > 0.55;
}

}  // namespace

double Period(const std::vector<float>& s, std::size_t from, std::size_t to, int minLag, int maxLag) {
  double best = 0;
  int bestLag = 0;
  for (int lag = minLag; lag <= maxLag; ++lag) {
    const double c = Correlation(s, static_cast<long>(from), static_cast<long>(to - from) - lag, lag);
    if (c > best) {
      best = c;
      bestLag = lag;
    }
  }
  if (bestLag == 0 || best < 0.5) return 0;
  // Parabolic refinement around the best lag for a fractional period.
  const double a = Correlation(s, static_cast<long>(from), static_cast<long>(to - from) - bestLag - 1, bestLag - 1);
  const double c = Correlation(s, static_cast<long>(from), static_cast<long>(to - from) - bestLag - 1, bestLag + 1);
  const double denom = a - 2 * best + c;
  return bestLag + (std::abs(denom) > 1e-12 ? 0.5 * (a - c) / denom : 0.0);
}

std::vector<Mark> Find(const std::vector<float>& s, double period) {
  std::vector<Mark> marks;
  const long p = std::lround(period);
  const long n = static_cast<long>(s.size());
  double next = period / 2;
  bool wasVoiced = false;
  while (next < static_cast<double>(n)) {
    const long guess = std::lround(next);
    const bool voiced = Voiced(s, guess, p);
    long at = guess;
    if (voiced) {
      // Locked: search ±20 % of a period; starting a voiced stretch: a whole period ahead.
      const long lo = wasVoiced ? guess - p / 5 : guess - p / 2, hi = wasVoiced ? guess + p / 5 : guess + p / 2;
      float best = -1e30f;
      for (long i = std::max(0L, lo); i <= std::min(n - 1, hi); ++i)
        if (s[static_cast<std::size_t>(i)] > best) {
          best = s[static_cast<std::size_t>(i)];
          at = i;
        }
    }
    if (at < 0 || at >= n) break;
    if (marks.empty() || static_cast<long>(marks.back().at) < at) marks.push_back({static_cast<std::size_t>(at), voiced});
    wasVoiced = voiced;
    next = static_cast<double>(at) + period;
  }
  return marks;
}

}  // namespace PitchMarks
