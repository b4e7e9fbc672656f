// Stress-dependent vowel sounds of a word, applied to its phoneme lines after the rules.
#include "tts/word_sounds.h"

#include <array>
#include <string_view>

namespace Sonora {
namespace {

constexpr char kStress = '>';
constexpr char kShort = '\xA8';  // the mark that ends the lengthening of the stressed syllable

// The markers in front of a phoneme line, and its name behind them.
std::size_t MarkerLength(std::string_view line) {
  std::size_t k = 0;
  while (k < line.size() && (line[k] == kStress || line[k] == kShort)) ++k;
  return k;
}

std::string_view Name(std::string_view line) { return line.substr(MarkerLength(line)); }

bool IsStressed(std::string_view line) { return line.substr(0, MarkerLength(line)).find(kStress) != std::string_view::npos; }

bool IsVowel(std::string_view name) {
  constexpr std::array<std::string_view, 15> kVowels = {"a", "@", "e", "E", "i", "I", "o", "O", "u", "U",
                                                        "an", "en", "in", "on", "un"};
  for (std::string_view v : kVowels)
    if (v == name) return true;
  return false;
}

bool IsGlide(std::string_view name) { return name == "y" || name == "w"; }
bool IsReduced(std::string_view name) { return name == "@" || name == "I" || name == "U"; }

void Rename(std::string& line, std::string_view name) { line = line.substr(0, MarkerLength(line)) + std::string(name); }

}  // namespace

void AdjustWordSounds(std::vector<std::string>& lines, std::size_t first, std::size_t end) {
  std::size_t stressed = end;
  for (std::size_t k = first; k < end; ++k)
    if (IsStressed(lines[k])) stressed = k;
  if (stressed == end) return;
  // A stressed "y" before another glide is the vowel of its syllable (caiu, saiu); a
  // stressed glide after a vowel gives the stress to that vowel (maio, praia).
  if (Name(lines[stressed]) == "y" && stressed + 1 < end && IsGlide(Name(lines[stressed + 1]))) {
    Rename(lines[stressed], "i");
  } else if (IsGlide(Name(lines[stressed])) && stressed > first && IsVowel(Name(lines[stressed - 1])) &&
             MarkerLength(lines[stressed - 1]) == 0) {
    const std::size_t marks = MarkerLength(lines[stressed]);
    lines[stressed - 1] = lines[stressed].substr(0, marks) + lines[stressed - 1];
    lines[stressed].erase(0, marks);
    --stressed;
  }
  for (std::size_t k = first; k + 2 < end; ++k) {
    if (Name(lines[k]) != "a") continue;
    const std::string_view nasal = Name(lines[k + 1]);
    if ((nasal != "m" && nasal != "n" && nasal != "J") || !IsVowel(Name(lines[k + 2]))) continue;
    if (k == stressed || nasal == "J") Rename(lines[k], "an");
    else if (k < stressed) Rename(lines[k], "@");
  }
  for (std::size_t k = stressed + 1; k + 1 < end; ++k) {
    const std::string_view name = Name(lines[k]), next = Name(lines[k + 1]);
    if ((name == "i" && IsVowel(next)) || (name == "e" && IsReduced(next))) {
      Rename(lines[k], "y");
      // d and t before the glide sound as before an i
      if (Name(lines[k - 1]) == "d") Rename(lines[k - 1], "dZ");
      else if (Name(lines[k - 1]) == "t") Rename(lines[k - 1], "tS");
    }
  }
}

}  // namespace Sonora
