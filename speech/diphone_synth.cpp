// Diphone concatenation. This voice's units are true diphones, cut from the middle of one
// phone to the middle of the next, so a word is played as the chain of its phone pairs,
// silence "$" at both ends: casa is $-k k-a a-z z-a a-$. Each unit overlaps the one
// before it by a few milliseconds, faded across, and sound fades out before a silence.
#include "speech/diphone_synth.h"

#include <algorithm>
#include <cmath>

#include "platform/text/text_kit.h"
#include "platform/wave/wave_header.h"

namespace DiphoneSynth {
namespace {

using DiphonePhones::Kind;
using DiphonePhones::Token;
constexpr int kMaxFallbackDepth = 8;
constexpr double kFadeFloor = 0.01;  // -40 dB: where the fade-out's curve ends
// A join whose overlap correlates this well is left where it is; another place must match
// by this much more to be taken; it lies at most this many samples back (one period at 92 Hz).
constexpr double kGoodJoin = 0.8;
constexpr double kBetterJoin = 0.2;
constexpr std::size_t kMaxJoinShift = 120;

Kind KindOf(const Token& t) { return DiphonePhones::Table()[static_cast<std::size_t>(t.phone)].kind; }

bool IsVowelLetter(char c) {
  return std::string_view("AEIOUaeiouWYwy").find(c) != std::string_view::npos;
}

// The record of a name by halving the sorted index; nullptr when it is not there.
const uint8_t* FindRecord(std::string_view name) {
  const auto& index = Synth().index;
  std::size_t low = 0, high = index.size() / kRecordSize;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    const uint8_t* r = index.data() + mid * kRecordSize;
    const std::string_view here(reinterpret_cast<const char*>(r + 1), std::min<std::size_t>(r[0], 8));
    if (here == name) return r;
    if (here < name) low = mid + 1;
    else high = mid;
  }
  return nullptr;
}

void AppendSilence(std::size_t count) {
  if (count == 0) return;
  FadeOut();
  const std::vector<uint8_t> fill(count, 128);
  Append(fill.data(), fill.size());
  Synth().soundFrom = Synth().fill;
}

void Noise() {
  std::vector<uint8_t> noise(kNoiseBytes);
  for (uint8_t& b : noise) {
    Synth().noise = Synth().noise * 1103515245u + 12345u;
    b = static_cast<uint8_t>(88 + (Synth().noise >> 16) % 80);
  }
  AppendJoined(noise.data(), noise.size());
}

// A diphone of the index at its length for the stress state and the factor.
bool Fetch(const std::string& name, double factor) {
  const uint8_t* r = FindRecord(name);
  if (r == nullptr) return false;
  State& s = Synth();
  const long stored = r[9] | (r[10] << 8);
  const uint32_t offset = static_cast<uint32_t>(r[11]) | (static_cast<uint32_t>(r[12]) << 8) |
                          (static_cast<uint32_t>(r[13]) << 16) | (static_cast<uint32_t>(r[14]) << 24);
  long length = stored;
  if (!s.stressed && name.size() > 2) {
    length = stored - s.corteFon;
    if (length < s.sobraFon) length = std::min<long>(stored, s.sobraFon);
  }
  const long bytes = std::clamp<long>(std::lround(factor * static_cast<double>(length)), 0, stored);
  if (bytes > 0 && s.readUnit) {
    const std::vector<uint8_t> data = s.readUnit(offset, static_cast<std::size_t>(bytes));
    AppendJoined(data.data(), data.size());
  }
  return true;
}

void PlayNameAt(std::string name, double factor, int depth) {
  for (char& c : name) c = TextKit::AsciiUpper(c);
  if (name.empty() || depth > kMaxFallbackDepth) return;
  State& s = Synth();
  if (name[0] == '_') {
    if (s.readRecorded)
      if (const auto data = s.readRecorded(name)) {
        // A recording has its own edges: nothing is joined into it or onto it.
        FadeOut();
        Append(data->data(), data->size());
        s.soundFrom = s.fill;
        return;
      }
  } else if (Fetch(name, factor)) {
    return;
  }
  if (name.size() <= 2) return Noise();
  // A database without a reduced vowel has the full one.
  if (const std::size_t reduced = name.find('&'); reduced != std::string::npos)
    return PlayNameAt(name.erase(reduced, 1), factor, depth + 1);
  // A longer name that is missing is played as shorter ones that may be there.
  if (IsVowelLetter(name.back())) {
    PlayNameAt(name.substr(0, name.size() - 1), 0.9 * factor, depth + 1);
    PlayNameAt(std::string("$") + name.back(), factor, depth + 1);
  } else if (name.ends_with("CIRC") && name.size() >= 7) {
    PlayNameAt(name.substr(0, name.size() - 5), 0.9 * factor, depth + 1);
    PlayNameAt(std::string(1, '$').append(name, name.size() - 5), factor, depth + 1);
  } else if (name.ends_with("TIL")) {
    std::string base = name.substr(0, name.size() - 3);
    const bool wasStressed = s.stressed;
    if (!base.empty() && base.back() != 'I' && base.back() != 'U') {
      base += "CIRC";
      s.stressed = true;
    }
    PlayNameAt(base, 0.9 * factor, depth + 1);
    s.stressed = false;
    PlayNameAt("$NN", 0.9, depth + 1);
    s.stressed = wasStressed;
  }
}

// How well the sound ending at `end` of the buffer and a unit's first samples match over
// `n` samples: their correlation, -1 to 1 (0 for silence on either side).
double Match(std::size_t end, const uint8_t* data, std::size_t n) {
  const uint8_t* tail = Synth().buffer.data() + end - n;
  double both = 0, here = 0, there = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = tail[i] - 128.0, b = data[i] - 128.0;
    both += a * b, here += a * a, there += b * b;
  }
  return here > 0 && there > 0 ? both / std::sqrt(here * there) : 0;
}

// A unit shortened for speed or stress ends wherever its length ran out, not at the place
// of a pitch period where the next unit begins; joined there, the two periods would meet
// out of phase. The samples to take back from the buffer's end (less than one pitch
// period) so that the overlap meets the next unit where the waveforms match best; none
// when the join is already good or there is no voice to match.
std::size_t JoinShift(const uint8_t* data, std::size_t overlap) {
  const State& s = Synth();
  if (overlap < 8) return 0;
  // Hiss (s, x, f, the burst of a stop) crosses silence many times and has no period.
  std::size_t crossings = 0;
  for (std::size_t i = 1; i < overlap; ++i) crossings += (data[i - 1] < 128) != (data[i] < 128);
  if (crossings > overlap / 3) return 0;
  const std::size_t room = s.fill - std::min(s.fill, s.soundFrom);
  const double here = Match(s.fill, data, overlap);
  if (here >= kGoodJoin) return 0;
  std::size_t best = 0;
  double bestMatch = here + kBetterJoin;
  for (std::size_t back = 1; back <= kMaxJoinShift && back + overlap <= room; ++back)
    if (const double m = Match(s.fill - back, data, overlap); m > bestMatch) best = back, bestMatch = m;
  return best;
}

bool IsPause(char c) { return c == ',' || c == '.' || c == ':' || c == ';'; }

std::size_t PauseBytes(char c) { return c == ',' ? 4000 : c == ';' ? 6000 : 8000; }

}  // namespace

State& Synth() {
  static State state;
  return state;
}

void ResetSynth() { Synth() = {}; }

void Flush() {
  State& s = Synth();
  if (s.buffer.size() < kBufferSize || s.fill <= kHeaderSize) return;
  const auto dataBytes = static_cast<uint32_t>(s.fill - kHeaderSize);
  // The canonical header of 11025 Hz 8-bit mono sound.
  WaveHeader::Write(s.buffer.data(), 11025, 1, 8, dataBytes);
  if (s.play) s.play(s.buffer.data(), s.fill);
  s.fill = s.soundFrom = kHeaderSize;
}

void Append(const uint8_t* data, std::size_t length) {
  State& s = Synth();
  if (s.buffer.size() != kBufferSize) s.buffer.assign(kBufferSize, 128);
  while (length > 0) {
    if (s.fill + length >= kBufferSize) Flush();
    // A piece longer than the whole buffer goes in buffer-sized parts.
    const std::size_t take = std::min(length, kBufferSize - 1 - s.fill);
    std::copy_n(data, take, s.buffer.begin() + static_cast<std::ptrdiff_t>(s.fill));
    s.fill += take;
    data += take;
    length -= take;
  }
}

void AppendJoined(const uint8_t* data, std::size_t length) {
  State& s = Synth();
  if (s.buffer.size() != kBufferSize) s.buffer.assign(kBufferSize, 128);
  const std::size_t overlap = std::min({s.crossFade, length / 2, s.fill - std::min(s.fill, s.soundFrom)});
  s.fill -= JoinShift(data, overlap);
  uint8_t* tail = s.buffer.data() + s.fill - overlap;
  for (std::size_t i = 0; i < overlap; ++i) {
    const double w = static_cast<double>(i + 1) / static_cast<double>(overlap + 1);
    const double mixed = (1 - w) * (tail[i] - 128.0) + w * (data[i] - 128.0);
    tail[i] = static_cast<uint8_t>(std::clamp<long>(std::lround(mixed) + 128, 0, 255));
  }
  const std::size_t before = s.fill;
  Append(data + overlap, length - overlap);
  // A buffer played on the way leaves only this unit's rest to join onto.
  if (s.fill < before) s.soundFrom = kHeaderSize;
}

void FadeOut() {
  State& s = Synth();
  if (s.buffer.size() != kBufferSize) return;
  const std::size_t n = std::min(s.fadeOut, s.fill - std::min(s.fill, s.soundFrom));
  uint8_t* tail = s.buffer.data() + s.fill - n;
  for (std::size_t i = 0; i < n; ++i) {
    // The level falls by the same decibels each millisecond, 40 dB over the fade, as a
    // voice dies away; the last sample is silence.
    const double t = static_cast<double>(i + 1) / static_cast<double>(n);
    const double gain = (std::exp(std::log(kFadeFloor) * t) - kFadeFloor) / (1 - kFadeFloor);
    tail[i] = static_cast<uint8_t>(std::lround((tail[i] - 128.0) * gain) + 128);
  }
  s.soundFrom = s.fill;
}

void PlayName(std::string_view name, double factor) { PlayNameAt(std::string(name), factor, 0); }

void PlayUnit(std::string_view unit, double factor) {
  if (unit.empty()) return;
  State& s = Synth();
  if (unit[0] == '_') {
    if (unit.size() > 1) PlayName(std::string(1, '_').append(std::to_string(static_cast<uint8_t>(unit[1]))), factor);
    return;
  }
  bool turnedOn = false;
  std::string name = "$";
  for (char c : unit) {
    if (std::string_view("AEIOU").find(c) != std::string_view::npos && !s.stressed) s.stressed = turnedOn = true;
    if (c == '^' || c == '~') {
      name.append(c == '^' ? "CIRC" : "TIL");
      PlayName(name, factor);
      name.assign(1, '$');
    } else {
      name += c;
    }
  }
  if (name != "$") PlayName(name, factor);
  if (turnedOn) s.stressed = false;
}

// How a unit of the notation becomes units played. Each phone pair is one unit, so the
// fixed cases come out as follows. A unit of one character that is a whole word is played
// unchanged, its phone alone ("$A"); inside a longer word it is joined to its neighbours
// like any phone. Clusters dj, nh, rr, tch are single phones, and ks is the one pair k-s,
// so they are never taken apart; a leading pair of consonants is split one consonant at
// a time ($-p p-r r-a), and a final consonant or rr is split off (a-r r-$). A glide
// after a vowel ends its unit with the vowel-glide pair, and the pair before that vowel,
// which would otherwise say the vowel twice as long, is played at 0.6; after a nasal
// vowel the pair is the three characters vowel, glide, "~" ("aw~" of pao). A final s is
// split off (a-s s-$) and the pair before its vowel is played at 0.7.
std::vector<Piece> SplitUnit(std::string_view notation, Token& previous, bool first, bool last, bool runOn) {
  std::vector<Piece> pieces;
  if (first && last && notation.size() == 1 && DiphonePhones::Read(notation).size() == 1) {
    pieces.push_back({std::string(notation), 1.0});
    previous = Token{};
    return pieces;
  }
  std::vector<Token> seq{previous};
  for (const Token& t : DiphonePhones::Read(notation)) seq.push_back(t);
  const auto syllabic = [&seq](std::size_t i) { return KindOf(seq[i]) == Kind::Vowel || KindOf(seq[i]) == Kind::Nasal; };
  // The unstressed a, i or u of a word's last syllable is the reduced vowel, as Portuguese
  // says it: the word's last vowel, with another vowel before it.
  const int s = [] {
    const auto& t = DiphonePhones::Table();
    for (std::size_t i = 0; i < t.size(); ++i)
      if (t[i].notation == "s") return static_cast<int>(i);
    return 0;
  }();
  if (last) {
    std::size_t v = seq.size();
    while (v > 1 && !syllabic(v - 1)) --v;
    const int reduced = v > 1 ? DiphonePhones::ReducedOf(seq[v - 1].phone) : -1;
    bool another = false;
    for (std::size_t k = 0; k + 1 < v; ++k) another = another || syllabic(k);
    // A word of one unstressed syllable that ends in its i or u, or in an s after it (de,
    // do, que, nos), leans on the next word and says that vowel reduced too; its a stays.
    bool clitic = first && !another && v > 1 && seq[v - 1].phone != DiphonePhones::Read("a").front().phone;
    for (std::size_t k = v; k < seq.size(); ++k) clitic = clitic && seq[k].phone == s;
    if (reduced >= 0 && !seq[v - 1].stressed && (another || clitic)) seq[v - 1].phone = reduced;
  }
  const bool toSilence = last && !runOn;
  if (toSilence) seq.push_back(Token{});
  for (std::size_t i = 0; i + 1 < seq.size(); ++i) pieces.push_back({DiphonePhones::PairUnit(seq[i], seq[i + 1]), 1.0});
  for (std::size_t j = 2; j < seq.size(); ++j)
    if ((KindOf(seq[j]) == Kind::Glide || KindOf(seq[j]) == Kind::NasalGlide) && syllabic(j - 1)) pieces[j - 2].factor = 0.6;
  const std::size_t n = seq.size();
  // The final s is the last phone, or the one before the silence.
  const std::size_t at = toSilence ? n - 2 : n - 1;
  if (last && at >= 2 && seq[at].phone == s && syllabic(at - 1)) pieces[at - 2].factor = 0.7;
  previous = toSilence ? Token{} : seq.back();
  return pieces;
}

// Whether the index holds every diphone a unit gathers.
bool InIndex(const std::string& unit) {
  for (const std::string& name : DiphonePhones::GatherNames(unit).names)
    if (FindRecord(name) == nullptr) return false;
  return true;
}

void Say(std::string_view notation) {
  State& s = Synth();
  std::string unit;
  Token previous;
  bool first = true;
  // Without a gap between words, a word runs on into the next one: its last phone is
  // joined to the next word's first by their diphone instead of going through silence.
  bool runningOn = false;
  auto end = [&](bool last, bool runOn = false) {
    if (unit.empty() && !(last && previous.phone != DiphonePhones::kSilence)) return;
    if (runningOn && !unit.empty()) {
      const std::vector<Token> next = DiphonePhones::Read(unit);
      if (!next.empty() && !InIndex(DiphonePhones::PairUnit(previous, next.front()))) {
        PlayUnit(DiphonePhones::PairUnit(previous, Token{}), 1.0);
        previous = Token{};
      }
    }
    runningOn = false;
    const bool alone = first && previous.phone == DiphonePhones::kSilence;
    for (const Piece& p : SplitUnit(unit, previous, alone, last, runOn)) PlayUnit(p.unit, p.factor);
    unit.clear();
    first = last;
    runningOn = runOn && previous.phone != DiphonePhones::kSilence;
  };
  for (std::size_t i = 0; i < notation.size(); ++i) {
    if (s.keyWaiting && s.keyWaiting()) {
      s.fill = s.soundFrom = kHeaderSize;  // what is left is not heard: the key silences the voice
      return;
    }
    const char c = notation[i];
    switch (c) {
      case '[':
        if (!unit.empty() || !runningOn) end(true);
        s.stressed = false;
        break;
      case ']':
        // The end of a word, not a long unit ended by "/": those run on inside the word.
        if (s.interPal <= 0) {
          end(true, true);
          break;
        }
        end(true);
        AppendSilence(static_cast<std::size_t>(s.interPal / 100 * 100));
        break;
      case ' ':
        if (!unit.empty() || !runningOn) end(true);
        break;
      case '/':
        if (unit.size() > 8) end(false);
        break;
      case '_':
        end(true);
        if (i + 1 < notation.size()) {
          const char next = notation[++i];
          if (IsPause(next)) AppendSilence(PauseBytes(next));
          else PlayUnit(std::string("_") + next, 1.0);
        }
        break;
      default:
        unit += c;
    }
  }
  end(true);
  FadeOut();
  Flush();
}

}  // namespace DiphoneSynth
