// Each phone is made of the second half of the diphone (previous, phone) and the first half
// of (phone, next), mapped linearly onto the requested duration. Output pitch marks follow
// the requested F0; each takes the nearest pitch period of the recording, windowed by a
// Hann window two periods wide, so durations and pitch are set independently. The sound
// fades out before every pause and at the end of an utterance, and peaks are bent softly
// below full scale.
#include "tts/mbrola/render.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tts/mbrola/voice_db.h"
#include "tts/mbrola/voice_format.h"

namespace Mbr {
namespace {

constexpr double kPerMs = VoiceFormat::kRate / 1000.0;
constexpr std::size_t kLookahead = 6;  // phones held at most while waiting for a pitch point
constexpr double kFadeOut = 400;       // fade before a pause, samples (25 ms)
constexpr float kKnee = 0.75f * 32767; // peaks above this are bent towards kCeiling
constexpr float kCeiling = 0.94f * 32767;
// The database's loudest sample is at 70 % of full scale and speech averages well below it;
// played this much louder it is about as loud as eSpeak NG's, the knee keeping the peaks off
// full scale.
constexpr float kOutputGain = 1.6f;

// A soft limiter: the identity below the knee, approaching the ceiling above it.
float Bend(float v) {
  const float a = std::abs(v);
  if (a <= kKnee) return v;
  const float span = kCeiling - kKnee;
  const float bent = kKnee + span * std::tanh((a - kKnee) / span);
  return v < 0 ? -bent : bent;
}

struct AbsPoint {
  double ms, hz;
};

std::vector<AbsPoint> KnownPoints() {
  const State& s = S();
  std::vector<AbsPoint> pts;
  if (s.lastPointMs >= 0) pts.push_back({s.lastPointMs, s.lastPointHz});
  double t = s.timeMs;
  for (const Phone& p : s.pending) {
    for (const PitchPoint& q : p.points) pts.push_back({t + q.percent / 100.0 * p.ms, q.hz});
    t += p.ms;
  }
  return pts;
}

double PitchAt(const std::vector<AbsPoint>& pts, double ms, double fallback) {
  if (pts.empty()) return fallback;
  if (ms <= pts.front().ms) return pts.front().hz;
  for (std::size_t k = 1; k < pts.size(); ++k)
    if (ms <= pts[k].ms) {
      const double span = pts[k].ms - pts[k - 1].ms;
      if (span <= 0) return pts[k].hz;
      return pts[k - 1].hz + (pts[k].hz - pts[k - 1].hz) * (ms - pts[k - 1].ms) / span;
    }
  return pts.back().hz;
}

void Emit(const float* data, std::size_t n) {
  State& s = S();
  auto put = [&s](float v) {
    const long x = std::lround(std::clamp(Bend(v * kOutputGain * s.volume), -32767.0f, 32767.0f));
    s.ready.push_back(static_cast<int16_t>(x));
  };
  if (s.freq == VoiceFormat::kRate) {
    s.ready.reserve(s.ready.size() + n);
    for (std::size_t i = 0; i < n; ++i) put(data[i]);
    return;
  }
  // Linear interpolation to another output rate, carried across calls.
  auto& in = s.resampleTail;
  in.insert(in.end(), data, data + n);
  const double step = static_cast<double>(VoiceFormat::kRate) / s.freq;
  while (s.resamplePos + 1 < static_cast<double>(in.size())) {
    const std::size_t i = static_cast<std::size_t>(s.resamplePos);
    const double f = s.resamplePos - static_cast<double>(i);
    put(static_cast<float>(in[i] * (1 - f) + in[i + 1] * f));
    s.resamplePos += step;
  }
  const std::size_t used = std::min(in.size(), static_cast<std::size_t>(s.resamplePos));
  in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(used));
  s.resamplePos -= static_cast<double>(used);
}

// Moves the accumulator's samples before output sample `upTo` to the ready samples.
void Finish(uint64_t upTo) {
  State& s = S();
  if (upTo <= s.accBase) return;
  // Stretches no grain reached (a phone the voice cannot say) are silence.
  if (upTo - s.accBase > s.acc.size()) s.acc.resize(static_cast<std::size_t>(upTo - s.accBase), 0.0f);
  const std::size_t n = static_cast<std::size_t>(upTo - s.accBase);
  Emit(s.acc.data(), n);
  s.acc.erase(s.acc.begin(), s.acc.begin() + static_cast<std::ptrdiff_t>(n));
  s.accBase += n;
}

// Index of the pitch mark of `d` nearest to position `pos` within the unit.
uint32_t NearestMark(const Voice& v, const Diphone& d, double pos) {
  const auto first = v.marks.begin() + d.firstMark, last = first + d.markCount;
  auto it = std::lower_bound(first, last, pos,
                             [](uint32_t m, double p) { return static_cast<double>(m & ~VoiceFormat::kVoicedMark) < p; });
  if (it == last) return v.marks[d.firstMark + d.markCount - 1];
  if (it != first) {
    const double after = static_cast<double>(*it & ~VoiceFormat::kVoicedMark) - pos;
    const double before = pos - static_cast<double>(*(it - 1) & ~VoiceFormat::kVoicedMark);
    if (before < after) --it;
  }
  return *it;
}

// The Hann window of 2 × half samples; computed once per width (widths are periods).
const std::vector<float>& Window(int half) {
  std::vector<std::vector<float>>& windows = S().windows;
  const std::size_t h = static_cast<std::size_t>(half);
  if (windows.size() <= h) windows.resize(h + 1);
  std::vector<float>& w = windows[h];
  if (w.empty()) {
    w.resize(2 * h);
    for (std::size_t k = 0; k < 2 * h; ++k)
      w[k] = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(k) / half));
  }
  return w;
}

void AddGrain(const Voice& v, const Diphone& d, uint32_t mark, long centre, int half) {
  State& s = S();
  const std::vector<float>& window = Window(half);
  const long from = centre - half;
  const uint64_t needEnd = static_cast<uint64_t>(std::max(0L, centre + half));
  if (needEnd > s.accBase + s.acc.size()) s.acc.resize(static_cast<std::size_t>(needEnd - s.accBase), 0.0f);
  for (long k = 0; k < 2L * half; ++k) {
    const long out = from + k;
    const long src = static_cast<long>(mark) - half + k;
    if (out < static_cast<long>(s.accBase) || src < 0 || src >= static_cast<long>(d.length)) continue;
    s.acc[static_cast<std::size_t>(out - static_cast<long>(s.accBase))] +=
        window[static_cast<std::size_t>(k)] * static_cast<float>(v.samples[d.offset + static_cast<std::size_t>(src)]);
  }
}

// The phone ending at `end` is followed by silence: its last stretch fades to nothing, and
// the window tails its grains left beyond the end are dropped.
void FadeOut(uint64_t start, uint64_t end) {
  State& s = S();
  const double length = std::min(kFadeOut, static_cast<double>(end - start) / 2);
  const uint64_t from = end - static_cast<uint64_t>(length);
  for (uint64_t i = std::max(from, s.accBase); i < s.accBase + s.acc.size(); ++i) {
    const double x = i < end ? 0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(i - from) / length) : 0.0;
    s.acc[static_cast<std::size_t>(i - s.accBase)] *= static_cast<float>(x);
  }
}

const Diphone* LeftUnit(const Voice& v, const std::string& prev, const std::string& cur, bool& bridged) {
  if (const Diphone* d = FindDiphone(v, prev, cur)) return d;
  bridged = true;
  if (const Diphone* d = FindDiphone(v, "_", cur)) return d;
  const auto it = v.anyRight.find(Canonical(v, cur));
  return it == v.anyRight.end() ? nullptr : &v.units[it->second];
}

const Diphone* RightUnit(const Voice& v, const std::string& cur, const std::string& next, bool& bridged) {
  if (const Diphone* d = FindDiphone(v, cur, next)) return d;
  bridged = true;
  if (const Diphone* d = FindDiphone(v, cur, "_")) return d;
  const auto it = v.anyLeft.find(Canonical(v, cur));
  return it == v.anyLeft.end() ? nullptr : &v.units[it->second];
}

std::string Usable(const Voice& v, const std::string& name) { return KnowsPhoneme(v, name) ? name : "_"; }

void RenderFront(const std::string& next) {
  State& s = S();
  const Voice& v = s.voice;
  const std::vector<AbsPoint> pts = KnownPoints();
  const Phone cur = s.pending.front();
  s.pending.pop_front();
  const std::string name = Usable(v, cur.name), prev = Usable(v, s.previous), after = Usable(v, next);
  const uint64_t start = static_cast<uint64_t>(std::llround(s.timeMs * kPerMs));
  const uint64_t end = static_cast<uint64_t>(std::llround((s.timeMs + cur.ms) * kPerMs));
  bool bridged = false;
  const Diphone* left = LeftUnit(v, prev, name, bridged);
  const Diphone* right = RightUnit(v, name, after, bridged);
  if (bridged && !s.noError)
    SetError(kMissingDiphone, "missing diphone around " + cur.name + " (" + s.previous + " " + cur.name + " " + next + ")");
  if (left == nullptr) left = right;
  if (right == nullptr) right = left;
  const double period = static_cast<double>(VoiceFormat::kRate) / v.f0;
  const int sourceHalf = static_cast<int>(std::lround(period));
  if (name == "_") {
    // A pause is silence: the recorded pauses carry the tails and onsets of their
    // neighbours, which would lengthen the phones beside it.
    s.nextMark = std::max(s.nextMark, static_cast<double>(end));
  } else if (left != nullptr && end > start) {
    const double len1 = left->end - left->boundary, len2 = right->boundary - right->start;
    const double natural = std::max(1.0, len1 + len2);
    const double n = static_cast<double>(end - start);
    if (s.nextMark < static_cast<double>(start)) s.nextMark = static_cast<double>(start);
    while (s.nextMark < static_cast<double>(end)) {
      const double u = (s.nextMark - static_cast<double>(start)) * natural / n;
      const Diphone* d = u < len1 ? left : right;
      const double pos = u < len1 ? left->boundary + u : right->start + (u - len1);
      const uint32_t mark = NearestMark(v, *d, pos);
      const bool voiced = (mark & VoiceFormat::kVoicedMark) != 0;
      const double hz = PitchAt(pts, s.nextMark / kPerMs, v.f0);
      const double hop = voiced ? VoiceFormat::kRate / hz : period;
      const int half = std::max(2, static_cast<int>(std::lround(voiced ? std::min(period, hop) : period)));
      AddGrain(v, *d, mark & ~VoiceFormat::kVoicedMark, std::lround(s.nextMark), half);
      s.nextMark += hop;
    }
    if (after == "_") FadeOut(start, end);
  }
  for (const PitchPoint& q : cur.points) {
    s.lastPointMs = s.timeMs + q.percent / 100.0 * cur.ms;
    s.lastPointHz = q.hz;
  }
  s.previous = cur.name;
  s.timeMs += cur.ms;
  const double settled = std::min(s.nextMark, static_cast<double>(end)) - sourceHalf - 1;
  if (settled > 0) Finish(static_cast<uint64_t>(settled));
}

bool PointAfter(double ms) {
  const State& s = S();
  double t = s.timeMs;
  for (const Phone& p : s.pending) {
    for (const PitchPoint& q : p.points)
      if (t + q.percent / 100.0 * p.ms >= ms) return true;
    t += p.ms;
  }
  return false;
}

}  // namespace

void Feed() {
  State& s = S();
  if (!s.open) return;
  while (s.pending.size() >= 2 &&
         (s.pending.size() > kLookahead || PointAfter(s.timeMs + s.pending.front().ms)))
    RenderFront(s.pending[1].name);
}

void FlushAll() {
  State& s = S();
  if (!s.open) return;
  while (!s.pending.empty()) RenderFront(s.pending.size() >= 2 ? s.pending[1].name : std::string("_"));
  Finish(static_cast<uint64_t>(std::llround(s.timeMs * kPerMs)));
  if (s.freq != VoiceFormat::kRate && !s.resampleTail.empty()) {
    const float zero = 0.0f;
    Emit(&zero, 1);
  }
  s.acc.clear();
  s.accBase = 0;
  s.nextMark = 0;
  s.timeMs = 0;
  s.previous.assign(1, '_');
  s.lastPointMs = -1;
  s.resampleTail.clear();
  s.resamplePos = 0;
}

}  // namespace Mbr
