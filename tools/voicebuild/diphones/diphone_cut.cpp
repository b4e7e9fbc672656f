// Carrier words are built around the pair ("a" + consonant, "t" + vowel, so that each
// phone of the pair sits inside a word) and spoken with the pair's vowel stressed. The
// cut points are the mid-points of the two phones by eSpeak NG's phoneme events, moved to
// the nearest rising zero crossing so that joined diphones do not click.
#include "tools/voicebuild/diphones/diphone_cut.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "speech/diphone_phones.h"

namespace DiphoneCut {
namespace {

using DiphonePhones::Kind;
constexpr std::size_t kPauseSamples = 330;  // 30 ms of the pause beside a word edge
constexpr long kSnapWindow = 44;            // 4 ms either side of a cut

const DiphonePhones::Phone& P(int i) { return DiphonePhones::Table()[static_cast<std::size_t>(i)]; }
bool Voiced(int i) { return DiphonePhones::IsVowelLike(P(i).kind); }
bool Syllabic(int i) { return P(i).kind == Kind::Vowel || P(i).kind == Kind::Nasal; }

struct Carrier {
  std::vector<std::string> phonemes;  // expected events, in order
  std::size_t first = 0;              // index of the pair's first phone in phonemes
  std::string text;
};

// phones: the pair (or the single phone), silence left out; edges say whether context
// goes before and after it.
// A glide needs its vowel before it, a nasal glide its nasal vowel.
std::string_view Before(int p) {
  switch (P(p).kind) {
    case Kind::Vowel: case Kind::Nasal: return "t";
    case Kind::NasalGlide: return "&~";
    default: return "a";
  }
}

Carrier Build(const std::vector<int>& phones, bool before, bool after) {
  Carrier c;
  if (before) c.phonemes.emplace_back(Before(phones.front()));
  c.first = c.phonemes.size();
  for (int p : phones) c.phonemes.emplace_back(P(p).espeak);
  if (after) {
    if (Voiced(phones.back())) c.phonemes.push_back("t");
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
  for (std::size_t k = 0; k < c.phonemes.size(); ++k) c.text += (k == stressed ? "'" : "") + c.phonemes[k];
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
  constexpr int kHalf = 24;
  constexpr double kCutoff = 4900.0 / 22050.0;  // of the input rate
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

std::size_t Snap(const std::vector<float>& s, std::size_t at) {
  for (long d = 0; d <= kSnapWindow; ++d)
    for (long sign : {-1L, 1L}) {
      const long i = static_cast<long>(at) + sign * d;
      if (i >= 1 && i < static_cast<long>(s.size()) && s[static_cast<std::size_t>(i - 1)] < 0 && s[static_cast<std::size_t>(i)] >= 0)
        return static_cast<std::size_t>(i);
    }
  return at;
}

uint8_t Byte(float v) {
  const long b = std::lround(v / 256.0f * 1.4f) + 128;  // eSpeak NG peaks near 18000
  return static_cast<uint8_t>(std::clamp(b, 0L, 255L));
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
  else from = Snap(half, (b[k] + b[k + 1]) / 4);
  if (toPause || whole) to = std::min(half.size(), b[last + 1] / 2 + kPauseSamples);
  else to = Snap(half, (b[last] + b[last + 1]) / 4);
  if (to <= from + 20) {
    cut.problem = "phones too short in [[" + c.text + "]]";
    return cut;
  }
  for (std::size_t i = from; i < to; ++i) cut.samples.push_back(Byte(half[i]));
  return cut;
}

}  // namespace

Cut Pair(EspeakPhonemes::Session& session, int a, int b) {
  const int silence = DiphonePhones::kSilence;
  if (a == silence && b == silence) return {{}, "silence to silence is no diphone"};
  if (a == silence) return Take(session, Build({b}, false, true), true, false, false);
  if (b == silence) return Take(session, Build({a}, true, false), false, true, false);
  return Take(session, Build({a, b}, true, true), false, false, false);
}

Cut Solo(EspeakPhonemes::Session& session, int a) { return Take(session, Build({a}, false, false), false, false, true); }

}  // namespace DiphoneCut
