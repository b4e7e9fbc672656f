// Carrier words are built around the pair ("a" + consonant, "t" + vowel, so that each
// phone of the pair sits inside a word) and spoken with the pair's vowel stressed. The
// cut points are the mid-points of the two phones by eSpeak NG's phoneme events. In a
// voiced phone the cut goes to the same place of a pitch period in every unit: the rising
// zero crossing before the period's highest peak, so that two units joined there overlap
// in phase; elsewhere to the nearest rising zero crossing.
#include "tools/voicebuild/diphones/diphone_cut.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "speech/diphone_phones.h"
#include "speech/diphone_synth.h"

namespace DiphoneCut {
namespace {

using DiphonePhones::Kind;
constexpr std::size_t kPauseSamples = 330;  // 30 ms of the pause before a word
// After a word as much of the pause as the player's fade before a silence takes, so that the
// fade falls on the recorded pause and the word's last phone keeps its own fall.
constexpr std::size_t kPauseAfter = DiphoneSynth::kFadeOut;
constexpr long kSnapWindow = 44;            // 4 ms either side of a cut, 16 ms at most

const DiphonePhones::Phone& P(int i) { return DiphonePhones::Table()[static_cast<std::size_t>(i)]; }
bool Voiced(int i) { return DiphonePhones::IsVowelLike(P(i).kind); }
// A carrier stresses its pair's first syllable, but never a reduced vowel, which only
// follows a stressed one.
bool Syllabic(int i) { return (P(i).kind == Kind::Vowel || P(i).kind == Kind::Nasal) && !DiphonePhones::IsReduced(i); }

struct Carrier {
  std::vector<std::string> phonemes;  // expected events, in order
  std::size_t first = 0;              // index of the pair's first phone in phonemes
  std::string text;
  std::vector<int> phones;            // the pair's phones (or the one phone)
};

// A glide needs its vowel before it, a nasal glide its nasal vowel.
std::string_view Before(int p) {
  switch (P(p).kind) {
    case Kind::Vowel: case Kind::Nasal: return "t";
    case Kind::NasalGlide: return "&~";
    default: return "a";
  }
}

// phones: the pair (or the single phone), silence left out; edges say whether context
// goes before and after it. apart: eSpeak NG reads some pairs of phonemes as one of its
// own (a U as the diphthong aU, t S as the affricate tS, * * as the trill); an unstressed
// mark between the pair's phones keeps them two.
Carrier Build(const std::vector<int>& phones, bool before, bool after, bool apart = false) {
  Carrier c;
  c.phones = phones;
  if (before && DiphonePhones::IsReduced(phones.front())) c.phonemes.emplace_back("a");
  if (before) c.phonemes.emplace_back(Before(phones.front()));
  c.first = c.phonemes.size();
  for (int p : phones) c.phonemes.emplace_back(P(p).espeak);
  if (after) {
    // The r that ends a syllable is recorded where it stands, before a consonant.
    if (Voiced(phones.back()) || P(phones.back()).espeak == "r") c.phonemes.push_back("t");
    c.phonemes.push_back("a");
  }
  std::size_t stressed = c.phonemes.size();
  for (std::size_t k = 0; k < phones.size() && stressed == c.phonemes.size(); ++k)
    if (Syllabic(phones[k])) stressed = c.first + k;
  if (stressed == c.phonemes.size())
    for (std::size_t k = 0; k < c.phonemes.size(); ++k)
      if (c.phonemes[k] == "a" || c.phonemes[k] == "&~") {
        stressed = k;
        break;
      }
  for (std::size_t k = 0; k < c.phonemes.size(); ++k)
    c.text += (k == stressed ? "'" : apart && k == c.first + 1 ? "%" : "") + c.phonemes[k];
  return c;
}

bool SameMnemonic(const std::string& event, const std::string& wanted) {
  return event == wanted;
}

// Starts of the carrier's phonemes and the end of the last, in samples of the recording;
// empty when the events do not name the carrier's phonemes.
std::vector<std::size_t> Bounds(const EspeakPhonemes::Recording& rec, const Carrier& c, std::string& problem) {
  std::vector<std::size_t> bounds;
  std::size_t e = 0;
  while (e < rec.events.size() && rec.events[e].phoneme.starts_with("_")) ++e;
  // eSpeak NG marks an i before a vowel with a ";" event of its own; it belongs to the i.
  auto skipMarks = [&] {
    while (e < rec.events.size() && rec.events[e].phoneme == ";") ++e;
  };
  for (const std::string& wanted : c.phonemes) {
    skipMarks();
    if (e >= rec.events.size() || !SameMnemonic(rec.events[e].phoneme, wanted)) {
      problem = "eSpeak NG said " + (e < rec.events.size() ? rec.events[e].phoneme : std::string("nothing")) +
                " for " + wanted + " in [[" + c.text + "]]";
      return {};
    }
    bounds.push_back(rec.events[e++].start);
  }
  skipMarks();
  bounds.push_back(e < rec.events.size() ? rec.events[e].start : rec.samples.size());
  for (std::size_t& b : bounds) b = std::min(b, rec.samples.size());
  return bounds;
}

std::vector<float> Halve(const std::vector<int16_t>& in) {
  constexpr int kHalf = 64;
  constexpr double kCutoff = 5300.0 / 22050.0;  // of the input rate
  static const std::vector<double> taps = [] {
    std::vector<double> t;
    for (int k = -kHalf; k <= kHalf; ++k) {
      const double x = 2 * kCutoff * k;
      const double sinc = k == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
      const double window = 0.42 + 0.5 * std::cos(std::numbers::pi * k / kHalf) + 0.08 * std::cos(2 * std::numbers::pi * k / kHalf);
      t.push_back(2 * kCutoff * sinc * window);
    }
    return t;
  }();
  std::vector<float> out(in.size() / 2);
  for (std::size_t m = 0; m < out.size(); ++m) {
    double sum = 0;
    for (int k = -kHalf; k <= kHalf; ++k) {
      const long i = static_cast<long>(2 * m) + k;
      if (i >= 0 && i < static_cast<long>(in.size())) sum += taps[static_cast<std::size_t>(k + kHalf)] * in[static_cast<std::size_t>(i)];
    }
    out[m] = static_cast<float>(sum);
  }
  return out;
}

bool RisingAt(const std::vector<float>& s, long i) {
  return i >= 1 && i < static_cast<long>(s.size()) && s[static_cast<std::size_t>(i - 1)] < 0 && s[static_cast<std::size_t>(i)] >= 0;
}

// The pitch period around `at` by autocorrelation, in samples; 0 when the stretch is not
// periodic enough to be a voiced sound.
long PitchPeriod(const std::vector<float>& s, std::size_t at) {
  constexpr long kMin = 40, kMax = 150;  // 275 .. 73 Hz at 11025 Hz
  constexpr long kSpan = 2 * kMax;
  const long from = static_cast<long>(at) - kSpan / 2;
  if (from < 0 || from + kSpan + kMax > static_cast<long>(s.size())) return 0;
  double energy = 0;
  for (long i = from; i < from + kSpan; ++i) energy += double(s[static_cast<std::size_t>(i)]) * s[static_cast<std::size_t>(i)];
  if (energy <= 0) return 0;
  long best = 0;
  double bestScore = 0.5;  // a voiced stretch repeats itself at least this closely
  for (long lag = kMin; lag <= kMax; ++lag) {
    double sum = 0, lagged = 0;
    for (long i = from; i < from + kSpan; ++i) {
      const float x = s[static_cast<std::size_t>(i + lag)];
      sum += double(s[static_cast<std::size_t>(i)]) * x;
      lagged += double(x) * x;
    }
    const double score = sum / std::sqrt(energy * lagged + 1e-9);
    if (score > bestScore) bestScore = score, best = lag;
  }
  return best;
}

// The rising zero crossing before the highest peak of the pitch period at `at`; -1 when
// there is none.
long PitchMark(const std::vector<float>& s, std::size_t at, long period) {
  const long start = static_cast<long>(at) - period / 2;
  long peak = start;
  for (long i = start; i < start + period; ++i)
    if (s[static_cast<std::size_t>(i)] > s[static_cast<std::size_t>(peak)]) peak = i;
  for (long i = peak; i > peak - period && i >= 1; --i)
    if (RisingAt(s, i)) return i;
  return -1;
}

// Whether the stretch around `at` is a closure or a pause: a cut there makes no click, and
// moving it to the nearest zero crossing would eat into the silence, which is all a stop
// consonant has before its burst.
bool QuietAt(const std::vector<float>& s, std::size_t at) {
  constexpr double kQuiet = 150.0;  // RMS, of 32768
  const long from = std::max(0L, static_cast<long>(at) - kSnapWindow), to = std::min(static_cast<long>(s.size()), static_cast<long>(at) + kSnapWindow);
  if (to <= from) return true;
  double sum = 0;
  for (long i = from; i < to; ++i) sum += double(s[static_cast<std::size_t>(i)]) * s[static_cast<std::size_t>(i)];
  return std::sqrt(sum / static_cast<double>(to - from)) < kQuiet;
}

std::size_t Snap(const std::vector<float>& s, std::size_t at) {
  if (QuietAt(s, at)) return at;
  if (const long period = PitchPeriod(s, at); period > 0)
    if (const long mark = PitchMark(s, at, period); mark > 0) return static_cast<std::size_t>(mark);
  for (long d = 0; d <= 4 * kSnapWindow; ++d)
    for (long sign : {-1L, 1L})
      if (RisingAt(s, static_cast<long>(at) + sign * d)) return static_cast<std::size_t>(static_cast<long>(at) + sign * d);
  return at;
}

bool IsVoicelessStop(int i) {
  const std::string_view e = P(i).espeak;
  return e == "p" || e == "t" || e == "k" || e == "tS";
}

bool IsStop(int i) {
  const std::string_view e = P(i).espeak;
  return e == "p" || e == "b" || e == "t" || e == "d" || e == "k" || e == "g" || e == "tS" || e == "dZ";
}

// The middle of a phone spanning [from, to) of the halved recording. eSpeak NG counts the
// closure of a stop into the phone before it, so a phone before a stop (the carriers put a
// t after every vowel) ends in silence: its middle is that of the sound before the silence,
// never inside the closure, where a cut would leave a gap in the vowel. A stop's own span
// is its burst.
std::size_t Middle(const std::vector<float>& s, int phone, std::size_t from, std::size_t to) {
  if (!IsStop(phone)) {
    constexpr std::size_t kFrame = 55;  // 5 ms
    while (to >= from + 2 * kFrame && QuietAt(s, to - kFrame / 2)) to -= kFrame;
  }
  return (from + to) / 2;
}

// eSpeak NG stops the sound of a monotone phrase at the end of its last phone, not far below
// the phone's level: the last 20 ms of the sound (at most a quarter of it) fall to silence
// over a half cosine, and `pause` samples of silence follow, where the player's own fade
// then lies.
void EndInSilence(std::vector<float>& samples, std::size_t pause) {
  constexpr float kAudible = 30.0f;  // of 32768, -60 dB
  constexpr std::size_t kFall = 220;
  std::size_t end = samples.size();
  while (end > 0 && std::fabs(samples[end - 1]) < kAudible) --end;
  const std::size_t fall = std::min(kFall, end / 4);  // a short phone (a final r) keeps most of itself
  for (std::size_t i = 0; i < fall; ++i)
    samples[end - fall + i] *= static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(i + 1) / static_cast<double>(fall)));
  samples.resize(end);
  samples.resize(end + pause, 0.0f);
}

Cut Take(EspeakPhonemes::Session& session, const Carrier& c, bool fromPause, bool toPause, bool whole) {
  Cut cut;
  const EspeakPhonemes::Recording rec = EspeakPhonemes::Speak(session, c.text);
  if (rec.samples.empty()) {
    cut.problem = "eSpeak NG gave no sound for [[" + c.text + "]]";
    return cut;
  }
  const std::vector<std::size_t> b = Bounds(rec, c, cut.problem);
  if (b.empty()) return cut;
  const std::vector<float> half = Halve(rec.samples);
  const std::size_t k = c.first;
  const std::size_t last = whole || fromPause || toPause ? k : k + 1;  // index of the second phone
  std::size_t from, to;
  if (fromPause || whole) from = b[k] / 2 > kPauseSamples ? b[k] / 2 - kPauseSamples : 0;
  else from = Snap(half, Middle(half, c.phones.front(), b[k] / 2, b[k + 1] / 2));
  if (toPause || whole) to = std::min(half.size(), b[last + 1] / 2 + kPauseAfter);
  // A unit going on into a phone carries the cross-fade past its cut: the player overlaps
  // it with the next unit's start, the same place of the next pitch period.
  // A voiceless stop after a pause is all closure up to its burst, and the unit from the
  // stop into the next phone (cut in the middle of a closure and burst) brings the burst:
  // this one ends before it, or the word would begin with two. (A voiced stop keeps the
  // voicing eSpeak NG gives it before the burst.)
  else if (fromPause && IsVoicelessStop(c.phones.back())) to = std::min(half.size(), b[k] / 2 + DiphoneSynth::kCrossFade);
  else to = std::min(half.size(), Snap(half, Middle(half, c.phones.back(), b[last] / 2, b[last + 1] / 2)) + DiphoneSynth::kCrossFade);
  if (to <= from + 20) {
    cut.problem = "phones too short in [[" + c.text + "]]";
    return cut;
  }
  cut.samples.assign(half.begin() + static_cast<long>(from), half.begin() + static_cast<long>(to));
  if (toPause || whole) EndInSilence(cut.samples, kPauseAfter);
  cut.fromPhone = !(fromPause || whole);
  cut.toPhone = !(toPause || whole);
  return cut;
}

}  // namespace

Cut Pair(EspeakPhonemes::Session& session, int a, int b) {
  const int silence = DiphonePhones::kSilence;
  if (a == silence && b == silence) return {{}, "silence to silence is no diphone"};
  if (a == silence) return Take(session, Build({b}, false, true), true, false, false);
  if (b == silence) return Take(session, Build({a}, true, false), false, true, false);
  Cut cut = Take(session, Build({a, b}, true, true), false, false, false);
  if (cut.samples.empty()) cut = Take(session, Build({a, b}, true, true, true), false, false, false);
  return cut;
}

Cut Solo(EspeakPhonemes::Session& session, int a) { return Take(session, Build({a}, false, false), false, false, true); }

}  // namespace DiphoneCut
