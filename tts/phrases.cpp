// Tokenizing and intonation patterns.
#include "tts/phrases.h"

#include "tts/prosody_tables.h"
#include "tts/text_classes.h"
#include "platform/text/text_kit.h"

namespace Sonora {
namespace {

std::string_view ClassOf(std::string_view line) {
  std::string_view cls = line.size() >= 3 ? line.substr(1, 2) : std::string_view();
  return TextKit::TrimTrailingSpaces(cls);
}

bool Fits(const std::string& field, std::string_view cls) { return field.empty() || field == cls; }

}  // namespace

std::vector<std::string> Tokenize(std::string_view text) {
  std::vector<std::string> out{"[--]"};
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::string token;
    std::string_view cls;
    char twice[2] = {text[i], text[i]};
    if (text[i] == '.' && i + 1 < text.size() && text[i + 1] == '.') {
      while (i < text.size() && text[i] == '.') ++i;
      token = ".";
      cls = ".-";
    } else if (!IsLetter(text[i])) {
      token = std::string(1, text[i]);
      cls = std::string_view(twice, 2);
      ++i;
    } else {
      const std::size_t start = i;
      while (i < text.size() && IsLetter(text[i])) ++i;
      token = std::string(text.substr(start, i - start));
      cls = KeyWordClass(UpperText(token));
    }
    std::string line;
    line.reserve(cls.size() + token.size() + 2);
    line += '[';
    line += cls;
    line += ']';
    line += token;
    out.push_back(std::move(line));
    if (token.front() == '!' || token.front() == '.' || token.front() == '?') out.emplace_back("[--]");
  }
  return out;
}

std::vector<std::string> ChoosePatterns(const std::vector<std::string>& tokenLines) {
  std::vector<std::string> out;
  out.reserve(tokenLines.size());
  const auto& patterns = Prosody().patterns;
  std::string previousPattern = "555";
  for (std::size_t i = 0; i < tokenLines.size(); ++i) {
    const std::string_view prev = i > 0 ? ClassOf(tokenLines[i - 1]) : std::string_view();
    const std::string_view cur = ClassOf(tokenLines[i]);
    const std::string_view next = i + 1 < tokenLines.size() ? ClassOf(tokenLines[i + 1]) : std::string_view();
    std::string pattern = "555";
    for (const IntonationPattern& p : patterns)
      if (Fits(p.previous, prev) && Fits(p.current, cur) && Fits(p.next, next)) {
        pattern = p.pattern;
        break;
      }
    if (!pattern.empty() && pattern.front() == '?') pattern.front() = previousPattern.back();
    previousPattern = pattern;
    const std::string_view token = tokenLines[i].size() > 4 ? std::string_view(tokenLines[i]).substr(4) : std::string_view();
    out.push_back(pattern + '|' + std::string(token));
  }
  return out;
}

}  // namespace Sonora
