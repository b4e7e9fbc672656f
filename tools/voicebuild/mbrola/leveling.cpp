// The level of a unit's edge is the RMS of the two periods around its cut. Each phoneme's
// level is the median of its edges over all units; a unit's gain runs linearly from the one
// its first edge needs to the one its last edge needs, so at every join the two units meet
// at the same loudness. Quiet edges (closures, silence) keep their gain. Last, one factor
// brings the loudest sample of the database to kPeak.
#include "tools/voicebuild/mbrola/leveling.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/voicebuild/edge_gains.h"
#include "tools/voicebuild/mbrola/pitch_marks.h"

namespace Leveling {
namespace {

constexpr double kPeak = 0.70 * 32767;  // the loudest sample of the levelled database
constexpr double kQuiet = 150;          // an edge this quiet (RMS) is left as it is
constexpr double kMaxGain = 2.5;        // per edge, either way
constexpr EdgeGains::Limits<double> kLimits{kQuiet, 1 / kMaxGain, kMaxGain};

double EdgeRms(const CarrierCut::Unit& u, long at, double period) {
  const long p = std::lround(period);
  double e = 0;
  long n = 0;
  for (long i = at - p; i < at + p; ++i)
    if (i >= 0 && i < static_cast<long>(u.samples.size())) {
      e += static_cast<double>(u.samples[static_cast<std::size_t>(i)]) * u.samples[static_cast<std::size_t>(i)];
      ++n;
    }
  return n > 0 ? std::sqrt(e / static_cast<double>(n)) : 0.0;
}

double Db(double ratio) { return ratio > 0 ? 20 * std::log10(ratio) : 0; }

struct Edges {
  double first = 0, last = 0;  // RMS at start and at end
};

// The gain that brings an edge to its phone's level; 1 for a quiet one (and for a pause).
double Gain(const std::string& phone, double level, const std::map<std::string, double>& target) {
  const double g = EdgeGains::Gain<double>({phone == "_" ? std::string() : phone, level}, target, kLimits);
  return g < 0 ? 1 : g;
}

double Spread(const std::vector<Named>& units, const std::vector<Edges>& edges, std::map<std::string, double>& target) {
  double sum = 0;
  long n = 0;
  for (std::size_t k = 0; k < units.size(); ++k) {
    for (const auto& [name, level] : {std::pair{units[k].first, edges[k].first}, std::pair{units[k].second, edges[k].last}})
      if (name != "_" && level >= kQuiet && target[name] >= kQuiet) {
        sum += std::abs(Db(level / target[name]));
        ++n;
      }
  }
  return n > 0 ? sum / static_cast<double>(n) : 0;
}

// Distance from the recording period of the pitch period measured around a voiced cut.
double PeriodOffset(const CarrierCut::Unit& u, long at, double period) {
  std::vector<float> s(u.samples.begin(), u.samples.end());
  const long p = std::lround(period);
  const long reach = p * 17 / 10;
  if (at - reach < 0 || at + reach >= static_cast<long>(s.size())) return -1;
  const double found = PitchMarks::Period(s, static_cast<std::size_t>(at - reach), static_cast<std::size_t>(at + reach),
                                          std::max(2, static_cast<int>(p * 2 / 3)), static_cast<int>(p * 3 / 2));
  return found > 0 ? std::abs(found - period) : -1;
}

}  // namespace

Report Level(std::vector<Named>& units, double period) {
  Report r;
  std::vector<Edges> edges(units.size());
  std::vector<EdgeGains::Edge<double>> all;
  double offsets = 0;
  long offsetCount = 0;
  for (std::size_t k = 0; k < units.size(); ++k) {
    const CarrierCut::Unit& u = units[k].unit;
    edges[k] = {EdgeRms(u, u.start, period), EdgeRms(u, u.end, period)};
    if (units[k].first != "_") all.push_back({units[k].first, edges[k].first});
    if (units[k].second != "_") all.push_back({units[k].second, edges[k].last});
    for (long at : {static_cast<long>(u.start), static_cast<long>(u.end)})
      if (const double d = PeriodOffset(u, at, period); d >= 0) {
        offsets += d;
        ++offsetCount;
      }
    for (int16_t x : u.samples) r.peakBefore = std::max(r.peakBefore, std::abs(static_cast<double>(x)));
  }
  r.periodSpread = offsetCount > 0 ? offsets / static_cast<double>(offsetCount) : 0;
  r.periodEdges = offsetCount;
  std::map<std::string, double> target = EdgeGains::Targets(all);
  r.edgeSpreadBefore = Spread(units, edges, target);
  // Edge gains, and the float samples they give.
  std::vector<std::vector<double>> scaled(units.size());
  double peak = 0;
  for (std::size_t k = 0; k < units.size(); ++k) {
    CarrierCut::Unit& u = units[k].unit;
    const double g0 = Gain(units[k].first, edges[k].first, target);
    const double g1 = Gain(units[k].second, edges[k].last, target);
    // A silent side takes the gain of the other one, so the unit is not bent towards 1.
    const double first = units[k].first == "_" ? g1 : g0, last = units[k].second == "_" ? g0 : g1;
    scaled[k].resize(u.samples.size());
    const double span = std::max(1.0, static_cast<double>(u.end) - static_cast<double>(u.start));
    for (std::size_t i = 0; i < u.samples.size(); ++i) {
      const double x = std::clamp((static_cast<double>(i) - u.start) / span, 0.0, 1.0);
      scaled[k][i] = u.samples[i] * (first + (last - first) * x);
      peak = std::max(peak, std::abs(scaled[k][i]));
    }
  }
  const double overall = peak > 0 ? kPeak / peak : 1;
  for (std::size_t k = 0; k < units.size(); ++k) {
    CarrierCut::Unit& u = units[k].unit;
    for (std::size_t i = 0; i < u.samples.size(); ++i)
      u.samples[i] = static_cast<int16_t>(std::lround(std::clamp(scaled[k][i] * overall, -32767.0, 32767.0)));
    for (int16_t x : u.samples) r.peakAfter = std::max(r.peakAfter, std::abs(static_cast<double>(x)));
    edges[k] = {EdgeRms(u, u.start, period), EdgeRms(u, u.end, period)};
  }
  for (auto& [name, level] : target) level *= overall;
  r.edgeSpreadAfter = Spread(units, edges, target);
  return r;
}

}  // namespace Leveling
