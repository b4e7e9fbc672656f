// Loading the exceptions table and looking words up in it.
#include "tts/exceptions.h"

#include <algorithm>
#include <string_view>

#include "tts/line_file.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

const std::string* Find(const ExceptionState& state, std::string_view word) {
  const auto& words = state.words;
  const auto it = std::lower_bound(words.begin(), words.end(), word,
                                   [](const auto& entry, std::string_view w) { return entry.first < w; });
  return it != words.end() && it->first == word ? &it->second : nullptr;
}

}  // namespace

ExceptionState& Exceptions() {
  static ExceptionState state;
  return state;
}

void ResetExceptions() { Exceptions() = {}; }

bool LoadExceptions(const std::string& path) { return LoadExceptionsInto(Exceptions(), path, true); }

bool LoadExceptionsInto(ExceptionState& state, const std::string& path, bool upperCase) {
  state = {};
  const auto lines = ReadLines(path);
  if (!lines) return false;
  auto& words = state.words;
  for (const std::string& raw : *lines) {
    if (words.size() >= kMaxExceptions) break;
    const std::string_view cut = std::string_view(raw).substr(0, kMaxExceptionLine);
    const std::string line = upperCase ? UpperText(cut) : std::string(cut);
    if (Trim(line).empty()) continue;
    const std::size_t eq = line.find('=');
    const std::string_view view(line);
    std::string_view replacement;
    if (eq != std::string::npos) {
      replacement = view.substr(eq + 1);
      replacement = replacement.substr(0, replacement.find('|'));
    }
    words.emplace_back(std::string(Trim(view.substr(0, eq))), std::string(Trim(replacement)));
  }
  // Stable, so that of two entries for one word the first in the file is found.
  std::stable_sort(words.begin(), words.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return true;
}

std::string ApplyExceptions(const std::string& word) { return ApplyExceptionsIn(Exceptions(), word, 'S', 'M'); }

std::string ApplyExceptionsIn(const ExceptionState& state, const std::string& word, char s, char m) {
  std::string_view stem(word);
  while (!stem.empty()) {
    if (const std::string* replacement = Find(state, stem)) return *replacement + word.substr(stem.size());
    if (stem.back() != s && stem.back() != m) break;
    stem.remove_suffix(1);
  }
  return word;
}

}  // namespace Sonora
