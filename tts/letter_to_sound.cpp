// Letter-to-sound: exceptions, stress and rules applied token by token, then liaison.
#include "tts/letter_to_sound.h"

#include <array>
#include <string_view>

#include "platform/text/cp1252.h"
#include "tts/exceptions.h"
#include "tts/rules.h"
#include "tts/stress.h"
#include "tts/text_classes.h"
#include "tts/word_sounds.h"

namespace Sonora {
namespace {

// Short function words that stay unstressed whatever their spelling says.
constexpr std::array<std::string_view, 6> kUnstressed = {"POR", "DAS", "DOS", "COM", "NÃO"_cp, "SIM"};

bool IsPauseMark(char c) {
  return c == ' ' || c == '!' || c == '(' || c == ')' || c == ',' || c == '.' || c == ':' || c == ';' || c == '?';
}

bool IsUnstressed(std::string_view word) {
  if (word.size() <= 2) return true;
  for (std::string_view w : kUnstressed)
    if (w == word) return true;
  return false;
}

bool StartsWithVowelSound(std::string_view phoneme) {
  // Stress and duration markers come before the name.
  while (!phoneme.empty() && (phoneme.front() == '>' || phoneme.front() == '\xA8')) phoneme.remove_prefix(1);
  if (phoneme.empty()) return false;
  // Open vowels are written in capitals (E, O); they link like the others.
  const char c = LowerChar(phoneme.front());
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'w' || c == 'y';
}

}  // namespace

void ApplyLiaison(std::vector<std::string>& lines) {
  if (lines.empty()) return;
  const std::size_t last = lines.size() - 1;
  for (std::size_t i = 3; i < last; ++i) {
    if (lines[i].empty() || lines[i].front() != ';') continue;
    if (StartsWithVowelSound(lines[i + 1])) {
      std::string& before = lines[i - 2];
      if (before == "r2") before = "r";
      else if (before == "s2") before = "z";
    }
    ++i;  // the line after a comment is a phoneme, never a comment
  }
}

std::vector<std::string> TokensToPhonemes(const std::vector<std::string>& patternLines) {
  std::vector<std::string> out;
  out.reserve(patternLines.size() * 8);
  for (const std::string& line : patternLines) {
    std::string comment(1, ';');
    comment += line;
    out.push_back(std::move(comment));
    const std::string token = UpperText(line.size() > 4 ? std::string_view(line).substr(4) : std::string_view());
    if (token.empty()) {
      out.emplace_back("__");
      out.emplace_back();
      continue;
    }
    if (IsPauseMark(token.front())) {
      if (token.front() != ' ') out.push_back({'_', token.front()});
      continue;
    }
    const std::string word = ApplyExceptions(token);
    const std::size_t first = out.size();
    ConvertWord(word, IsUnstressed(word) ? 0 : FindStress(word), out);
    AdjustWordSounds(out, first, out.size() - 1);
  }
  out.emplace_back("__");
  ApplyLiaison(out);
  return out;
}

}  // namespace Sonora
