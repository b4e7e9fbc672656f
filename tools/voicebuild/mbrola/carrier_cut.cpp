// Carriers put each phone of the pair inside a word ("a" before a consonant, "t" before a
// vowel, "ta" after) with the pair's vowel stressed. Cut points lie in the steady middle of
// each phone by eSpeak NG's phoneme events: on a voiced phone, the period in its middle
// half most like its neighbours, cut at the rising zero crossing that opens it, so that the
// renderer's joins fall on whole periods; elsewhere the zero crossing nearest the middle.
#include "tools/voicebuild/mbrola/carrier_cut.h"

#include <algorithm>
#include <cmath>

#include "tools/voicebuild/mbrola/pitch_marks.h"
#include "tools/voicebuild/resample.h"
#include "tts/mbrola/voice_format.h"

namespace CarrierCut {
namespace {

using MbrolaVoice::Kind;
using MbrolaVoice::Phoneme;
constexpr int kInRate = 22050;
constexpr long kPad = 800;        // silence added around each recording, 50 ms
constexpr long kPause = 480;      // 30 ms of pause beside a word edge
constexpr long kMargin = 320;     // kept beyond each cut for the windows, 20 ms

struct Carrier {
  std::vector<std::string> phonemes;
  std::size_t first = 0;
  std::string text;
};

bool VowelLike(const Phoneme& p) { return p.kind == Kind::Vowel || p.kind == Kind::Glide; }

Carrier Build(const std::vector<const Phoneme*>& phones, bool before, bool after) {
  Carrier c;
  if (before) c.phonemes.emplace_back(phones.front()->kind == Kind::Vowel ? "t" : "a");
  c.first = c.phonemes.size();
  for (const Phoneme* p : phones) c.phonemes.emplace_back(p->espeak);
  if (after) {
    if (VowelLike(*phones.back())) c.phonemes.emplace_back("t");
    c.phonemes.emplace_back("a");
  }
  // Before a consonant eSpeak NG closes a nasal vowel with a nasal murmur (c&~Nto): the
  // vowel is recorded with it there, so the diphone towards the consonant carries it.
  for (std::size_t k = 0; k < phones.size(); ++k) {
    const std::size_t at = c.first + k;
    if (phones[k]->kind != Kind::Vowel || !phones[k]->espeak.ends_with("~") || at + 1 >= c.phonemes.size()) continue;
    const bool consonantNext = k + 1 < phones.size() ? phones[k + 1]->kind == Kind::Consonant : c.phonemes[at + 1] == "t";
    if (consonantNext) c.phonemes[at] += "N";
  }
  std::size_t stressed = c.phonemes.size();
  for (std::size_t k = 0; k < phones.size() && stressed == c.phonemes.size(); ++k)
    if (phones[k]->kind == Kind::Vowel) stressed = c.first + k;
  for (std::size_t k = 0; k < c.phonemes.size() && stressed == c.phonemes.size(); ++k)
    if (c.phonemes[k] == "a") stressed = k;
  for (std::size_t k = 0; k < c.phonemes.size(); ++k) c.text += (k == stressed ? "'" : "") + c.phonemes[k];
  return c;
}

struct Take {
  std::vector<float> s;            // 16000 Hz, padded
  std::vector<long> bounds;        // starts of the carrier's phonemes, then the end of the last
  std::vector<PitchMarks::Mark> marks;
};

bool Record(EspeakPhonemes::Session& session, const Carrier& c, double period, Take& t, std::string& problem) {
  const EspeakPhonemes::Recording rec = EspeakPhonemes::Speak(session, c.text);
  if (rec.samples.empty()) {
    problem = "eSpeak NG gave no sound for [[" + c.text + "]]";
    return false;
  }
  std::vector<std::size_t> at;
  std::size_t e = 0;
  while (e < rec.events.size() && rec.events[e].phoneme.starts_with("_")) ++e;
  auto skipMarks = [&] {
    while (e < rec.events.size() && rec.events[e].phoneme == ";") ++e;
  };
  for (std::size_t j = 0; j < c.phonemes.size(); ++j) {
    const std::string& wanted = c.phonemes[j];
    skipMarks();
    const std::string said = e < rec.events.size() ? rec.events[e].phoneme : std::string("nothing");
    if (said == wanted) {
      at.push_back(rec.events[e++].start);
    } else if (!said.empty() && wanted.size() > said.size() && wanted.starts_with(said)) {
      // One phone recorded as several eSpeak NG phonemes (a nasal vowel and its murmur).
      at.push_back(rec.events[e++].start);
      std::string got = said;
      while (got.size() < wanted.size() && e < rec.events.size()) {
        skipMarks();
        if (e < rec.events.size()) got += rec.events[e++].phoneme;
      }
      if (got != wanted) {
        problem = "eSpeak NG said " + got + " for " + wanted + " in [[" + c.text + "]]";
        return false;
      }
    } else if (j + 1 < c.phonemes.size() && said == wanted + c.phonemes[j + 1]) {
      // eSpeak NG says some pairs as one phoneme (diphthongs, affricates, a double tap):
      // the two phones share its span half and half.
      const std::size_t from = rec.events[e].start;
      const std::size_t to = e + 1 < rec.events.size() ? rec.events[e + 1].start : rec.samples.size();
      at.push_back(from);
      at.push_back((from + to) / 2);
      ++e;
      ++j;
    } else {
      problem = "eSpeak NG said " + said + " for " + wanted + " in [[" + c.text + "]]";
      return false;
    }
  }
  skipMarks();
  at.push_back(e < rec.events.size() ? rec.events[e].start : rec.samples.size());
  std::vector<float> in(rec.samples.begin(), rec.samples.end());
  const std::vector<float> out = Resample::ToRate(in, kInRate, VoiceFormat::kRate);
  t.s.assign(static_cast<std::size_t>(kPad), 0.0f);
  t.s.insert(t.s.end(), out.begin(), out.end());
  t.s.resize(t.s.size() + static_cast<std::size_t>(kPad), 0.0f);
  for (std::size_t b : at)
    t.bounds.push_back(kPad + std::lround(static_cast<double>(std::min(b, rec.samples.size())) * VoiceFormat::kRate / kInRate));
  t.marks = PitchMarks::Find(t.s, period);
  return true;
}

double Similarity(const std::vector<float>& s, long a, long b, long n) {
  double xy = 0, xx = 0, yy = 0;
  for (long i = 0; i < n; ++i) {
    if (a + i < 0 || b + i < 0 || a + i >= static_cast<long>(s.size()) || b + i >= static_cast<long>(s.size())) return 0;
    const double x = s[static_cast<std::size_t>(a + i)], y = s[static_cast<std::size_t>(b + i)];
    xy += x * y;
    xx += x * x;
    yy += y * y;
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

// The rising zero crossing at or before `at`, no further back than `reach` samples; `at`
// itself when there is none.
long RisingZeroBefore(const std::vector<float>& s, long at, long reach) {
  for (long i = at; i > at - reach && i > 0; --i)
    if (s[static_cast<std::size_t>(i - 1)] < 0 && s[static_cast<std::size_t>(i)] >= 0) return i;
  return at;
}

// The zero crossing nearest `at`, within `reach` samples.
long NearestZero(const std::vector<float>& s, long at, long reach) {
  const long n = static_cast<long>(s.size());
  for (long d = 0; d <= reach; ++d)
    for (long i : {at - d, at + d})
      if (i > 0 && i < n && (s[static_cast<std::size_t>(i - 1)] < 0) != (s[static_cast<std::size_t>(i)] < 0)) return i;
  return at;
}

// The cut point of the phone spanning [from, to).
long Steady(const Take& t, long from, long to, double period) {
  const long p = std::lround(period);
  const long mid = (from + to) / 2, half = std::max(1L, (to - from) / 4);
  long best = -1;
  double bestScore = -1e9;
  for (const PitchMarks::Mark& m : t.marks) {
    const long at = static_cast<long>(m.at);
    if (!m.voiced || at < mid - half || at > mid + half) continue;
    // Alike to the period before and the one after: the sound is not moving there.
    const double steady = 0.5 * (Similarity(t.s, at - p, at, p) + Similarity(t.s, at, at + p, p));
    const double score = steady - 0.3 * std::abs(static_cast<double>(at - mid)) / static_cast<double>(half);
    if (score > bestScore) {
      bestScore = score;
      best = at;
    }
  }
  if (best < 0) return NearestZero(t.s, mid, p / 2);
  return RisingZeroBefore(t.s, best, p / 2);
}

Unit Slice(const Take& t, long start, long boundary, long end, double period) {
  Unit u;
  const long n = static_cast<long>(t.s.size());
  start = std::clamp(start, 0L, n);
  end = std::clamp(end, start, n);
  boundary = std::clamp(boundary, start, end);
  if (end - start < 16) {
    u.problem = "phones too short";
    return u;
  }
  const long from = std::max(0L, start - kMargin), to = std::min(n, end + kMargin);
  for (long i = from; i < to; ++i)
    u.samples.push_back(static_cast<int16_t>(std::lround(std::clamp(t.s[static_cast<std::size_t>(i)], -32768.0f, 32767.0f))));
  u.start = static_cast<uint32_t>(start - from);
  u.boundary = static_cast<uint32_t>(boundary - from);
  u.end = static_cast<uint32_t>(end - from);
  for (const PitchMarks::Mark& m : t.marks)
    if (static_cast<long>(m.at) >= from && static_cast<long>(m.at) < to)
      u.marks.push_back(static_cast<uint32_t>(static_cast<long>(m.at) - from) | (m.voiced ? VoiceFormat::kVoicedMark : 0u));
  if (u.marks.empty()) {
    for (double x = period / 2; x < static_cast<double>(to - from); x += period) u.marks.push_back(static_cast<uint32_t>(x));
    if (u.marks.empty()) u.marks.push_back(0);
  }
  return u;
}

}  // namespace

double RecordingPeriod(EspeakPhonemes::Session& session) {
  Carrier c = Build({MbrolaVoice::Find("a")}, true, true);
  Take t;
  std::string problem;
  if (!Record(session, c, 100, t, problem) || t.bounds.size() < 3) return 0;
  const std::size_t from = static_cast<std::size_t>(t.bounds[1]), to = static_cast<std::size_t>(t.bounds[2]);
  if (to <= from + 400) return 0;
  return PitchMarks::Period(t.s, from, to, VoiceFormat::kRate / 400, VoiceFormat::kRate / 60);
}

Unit Cut(EspeakPhonemes::Session& session, const Phoneme& a, const Phoneme& b, double period) {
  if (a.kind == Kind::Silence && b.kind == Kind::Silence) {
    Take t;
    t.s.assign(static_cast<std::size_t>(2 * kPause + 2 * kMargin), 0.0f);
    return Slice(t, kMargin, kMargin + kPause, kMargin + 2 * kPause, period);
  }
  Take t;
  Unit u;
  if (a.kind == Kind::Silence) {
    const Carrier c = Build({&b}, false, true);
    if (!Record(session, c, period, t, u.problem)) return u;
    const long b0 = t.bounds[c.first], b1 = t.bounds[c.first + 1];
    return Slice(t, b0 - kPause, b0, Steady(t, b0, b1, period), period);
  }
  if (b.kind == Kind::Silence) {
    const Carrier c = Build({&a}, true, false);
    if (!Record(session, c, period, t, u.problem)) return u;
    const long a0 = t.bounds[c.first], a1 = t.bounds[c.first + 1];
    return Slice(t, Steady(t, a0, a1, period), a1, a1 + kPause, period);
  }
  const Carrier c = Build({&a, &b}, true, true);
  if (!Record(session, c, period, t, u.problem)) return u;
  const long a0 = t.bounds[c.first], a1 = t.bounds[c.first + 1], b1 = t.bounds[c.first + 2];
  return Slice(t, Steady(t, a0, a1, period), a1, Steady(t, a1, b1, period), period);
}

}  // namespace CarrierCut
