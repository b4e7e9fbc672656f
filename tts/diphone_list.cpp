// The voice's diphone list: which phoneme pairs the database can join.
#include <algorithm>

#include "tts/line_file.h"
#include "tts/prosody_tables.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' || c == '[' || c == '\\' || c == ']' ||
         c == '^' || c == '_' || c == '2';
}

std::string Key(std::string_view first, std::string_view second) {
  std::string key = UpperText(first);
  key += '-';
  key += UpperText(second);
  return key;
}

}  // namespace

bool LoadDiphoneList(const std::string& path) {
  auto& diphones = Prosody().diphones;
  diphones.clear();
  const auto lines = ReadLines(path);
  if (!lines) return false;
  for (const std::string& raw : *lines) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '!' || line.front() == '*' || line.front() == ';') continue;
    std::size_t i = 0;
    while (i < line.size() && IsNameChar(line[i])) ++i;
    const std::string_view first = line.substr(0, i);
    while (i < line.size() && !IsNameChar(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && IsNameChar(line[i])) ++i;
    diphones.push_back(Key(first, line.substr(start, i - start)));
  }
  std::sort(diphones.begin(), diphones.end());
  diphones.erase(std::unique(diphones.begin(), diphones.end()), diphones.end());
  return true;
}

bool HasDiphone(std::string_view first, std::string_view second) {
  return std::binary_search(Prosody().diphones.begin(), Prosody().diphones.end(), Key(first, second));
}

}  // namespace Sonora
