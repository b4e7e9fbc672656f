// Loading and looking up the abbreviation table.
#include "tts/abbreviations.h"

#include "tts/line_file.h"
#include "tts/text_classes.h"

namespace Sonora {

AbbreviationState& Abbreviations() {
  static AbbreviationState state;
  return state;
}

void ResetAbbreviations() { Abbreviations() = {}; }

bool LoadAbbreviations(const std::string& path) {
  ResetAbbreviations();
  const auto lines = ReadLines(path);
  if (!lines) return false;
  auto& entries = Abbreviations().entries;
  for (const std::string& raw : *lines) {
    if (entries.size() >= kMaxAbbreviations) break;
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    const std::size_t eq = line.find('=');
    Abbreviation a;
    if (eq != std::string_view::npos) {
      a.key = UpperText(Trim(line.substr(0, eq)));
      a.expansion = std::string(Trim(line.substr(eq + 1)).substr(0, kMaxExpansion));
    }
    if (a.key.find('.') != std::string::npos) Abbreviations().phraseKeys.push_back(entries.size());
    entries.push_back(std::move(a));
  }
  return true;
}

const std::string* FindAbbreviation(std::string_view upperKey) {
  if (upperKey.empty()) return nullptr;
  for (const Abbreviation& a : Abbreviations().entries)
    if (a.key == upperKey) return &a.expansion;
  return nullptr;
}

}  // namespace Sonora
