// Durations, pitch points and diphone fillers for the phoneme lines of one text.
#include "tts/prosody.h"

#include <cmath>
#include <string_view>

#include "tts/prosody_tables.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

constexpr char kNoLengthening = '\xA8';  // ¨: ends the lengthening of the stressed syllable
constexpr int kStressedPercent = 145;

// The name of a phoneme line without its stress and lengthening marks.
std::string_view Bare(std::string_view line) {
  while (!line.empty() && (line.front() == '>' || line.front() == kNoLengthening)) line.remove_prefix(1);
  return line;
}

bool IsVowel(std::string_view name) {
  static constexpr std::string_view kVowels[] = {"a", "@", "e", "E", "i", "I", "o", "O", "u", "U",
                                                 "an", "en", "in", "on", "un"};
  for (std::string_view v : kVowels)
    if (name == v) return true;
  return false;
}

// A consonant that begins the syllable after it: one before a vowel, or an obstruent
// before a tap or l and a vowel (p r a, b l o). Codas (r2, s2, the glides) never do.
bool StartsSyllable(const std::vector<std::string>& lines, std::size_t i) {
  const std::string_view name = Bare(lines[i]);
  if (name.empty() || name.front() == '_' || IsVowel(name) || name == "y" || name == "w" || name == "r2" ||
      name == "s2")
    return false;
  auto at = [&lines](std::size_t k) { return k < lines.size() ? Bare(lines[k]) : std::string_view(); };
  if (IsVowel(at(i + 1))) return true;
  const bool liquid = at(i + 1) == "r" || at(i + 1) == "l";
  const bool obstruent = name != "m" && name != "n" && name != "J" && name != "l" && name != "L" && name != "r" &&
                         name != "R";
  return liquid && obstruent && IsVowel(at(i + 2));
}

// Rounds half to even, as the synthesizer's reference timing does, then drops the
// hundredths.
long Scaled(double product) { return static_cast<long>(std::nearbyint(product)) / 100; }

struct Walk {
  double pitchFactor = 1.0, durationFactor = 1.0;
  int percent = 100;
  std::string pattern = "555";
  int pitchState = 0;
  std::size_t wordLength = 0;
  std::string previous = "_";
  std::string current;
  std::vector<std::string> out;

  // Position and frequency of the pitch point of this phoneme, if it gets one.
  std::string PitchPoint(bool lastInWord) {
    int digitIndex = -1, position = 50;
    if (pitchState == 0) {
      digitIndex = 0;
      pitchState = 1;
    } else if (pitchState == 2) {
      digitIndex = 1;
      position = 80;
      pitchState = 3;
    } else if (pitchState == 3 && lastInWord) {
      digitIndex = 2;
    }
    if (digitIndex < 0 || static_cast<std::size_t>(digitIndex) >= pattern.size()) return {};
    const char d = pattern[static_cast<std::size_t>(digitIndex)];
    if (d < '0' || d > '9') return {};
    const int value = Prosody().pitchTable[static_cast<std::size_t>(d - '0')];
    if (value == 0) return {};
    const long hz = Scaled(value * pitchFactor * Prosody().basePitch);
    std::string point(1, ' ');
    point += std::to_string(position);
    point += ' ';
    point += std::to_string(hz);
    return point;
  }

  std::string Phoneme(std::string_view line, bool lastInWord, bool syllableOnset) {
    // The lengthening of the stressed syllable ends where the next syllable begins.
    if (syllableOnset && pitchState >= 2) percent = 100;
    if (line.front() == '>') {
      line.remove_prefix(1);
      if (!line.empty() && line.front() == kNoLengthening) line.remove_prefix(1);
      percent = kStressedPercent;
      pitchState = 2;
    } else if (line.front() == kNoLengthening) {
      line.remove_prefix(1);
      percent = 100;
    }
    std::string name(line);
    if (name.empty()) return {};  // a marker with no phoneme behind it says nothing
    int base = 100;
    if (!name.empty() && name.front() == '_') {
      int ms = 0;
      if (name == "_") base = 100;
      else if (name.size() > 2 && name[1] == ' ' && ParseInt(Trim(std::string_view(name).substr(2)), ms)) base = ms;
      else base = PhonemeDuration(name);
      name = "_";
    } else {
      base = PhonemeDuration(name);
      if (pitchState < 2) {
        if (wordLength > 13) base = base * 80 / 100;
        else if (wordLength > 9) base = base * 90 / 100;
      }
    }
    current = name;
    const long ms = Scaled(static_cast<double>(base) * percent * durationFactor);
    name += ' ';
    name += std::to_string(ms);
    name += PitchPoint(lastInWord);
    return name;
  }

  void Filler() {
    if (current.empty() || HasDiphone(previous, current)) return;
    if (previous == "r2" && HasDiphone("r2", "_")) out.emplace_back("_ 50");
    else if (HasDiphone(previous, "y")) out.emplace_back("y 50");
    else out.emplace_back("_ 50");
  }

  void Line(const std::vector<std::string>& lines, std::size_t i) {
    const std::string& line = lines[i];
    if (line.empty()) {
      percent = 100;
      current.clear();
      out.push_back(line);
      return;
    }
    if (line.front() == ';') {
      if (line.size() >= 5 && line[4] == '|') {
        pattern = line.substr(1, 3);
        std::string comment(1, ';');
        comment.append(line, 5);
        wordLength = comment.size();
        pitchState = 0;
        out.push_back(std::move(comment));
      } else {
        out.push_back(line);
      }
      // A comment names no phoneme: the pair across it is the last phoneme before it and
      // the first after it.
      return;
    }
    const bool lastInWord = i + 1 == lines.size() || lines[i + 1].empty();
    std::string mbrola = Phoneme(line, lastInWord, StartsSyllable(lines, i));
    if (mbrola.empty()) return;
    Filler();
    out.push_back(std::move(mbrola));
    previous = current;
  }
};

}  // namespace

std::vector<std::string> ApplyProsody(const std::vector<std::string>& phonemeLines, double pitchFactor,
                                      double durationFactor) {
  Walk w;
  w.pitchFactor = pitchFactor;
  w.durationFactor = durationFactor;
  w.out.reserve(phonemeLines.size() + phonemeLines.size() / 8);
  for (std::size_t i = 0; i < phonemeLines.size(); ++i) w.Line(phonemeLines, i);
  return std::move(w.out);
}

}  // namespace Sonora
