// Loading the letter-to-sound rules and applying them to a word, left to right.
#include "tts/rules.h"

#include <string_view>

#include "tts/line_file.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

std::string Field(std::string_view s, std::size_t width, bool upper) {
  std::string f(s.substr(0, width));
  if (upper)
    for (char& c : f)
      if (IsLetter(c)) c = UpperChar(c);
  return f;
}

// Right context, read left to right from the letter after the focus.
bool MatchRight(const std::string& w, std::size_t pos, const std::string& context) {
  const std::size_t n = w.size();
  for (char s : context) {
    const bool inside = pos < n;
    const char c = inside ? UpperChar(w[pos]) : '\0';
    switch (s) {
      case '#': if (!inside || !IsVowel(c)) return false; ++pos; break;
      case '%': if (inside) return false; break;
      case '&': if (!inside || !IsOneOf(c, "LMNRZ")) return false; ++pos; break;
      case '*': if (!inside || !IsConsonant(c) || c == 'L' || c == 'R') return false; break;
      case '+': if (!inside || !IsFrontVowel(c)) return false; ++pos; break;
      case '[': if (inside && (!IsConsonant(c) || c == 'H')) return false; break;
      case '\\': if (inside && c == 'S') ++pos; break;
      default: if (!inside || c != s) return false; ++pos; break;
    }
  }
  return true;
}

// Left context, read right to left from the letter before the focus; -1 is before the word.
bool MatchLeft(const std::string& w, std::ptrdiff_t pos, const std::string& context) {
  for (auto it = context.rbegin(); it != context.rend(); ++it) {
    const char s = *it;
    const bool inside = pos >= 0;
    const char c = inside ? UpperChar(w[static_cast<std::size_t>(pos)]) : '\0';
    switch (s) {
      case '#': if (!inside || !IsVowel(c)) return false; --pos; break;
      case '%': if (inside) return false; break;
      case ']': if (!inside || !IsBackVowel(c)) return false; --pos; break;
      case '_': if (inside) { if (!IsVowel(c)) return false; --pos; } break;
      case '|': if (!inside || !IsOneOf(c, "NRS")) return false; --pos; break;
      default: if (!inside || c != s) return false; --pos; break;
    }
  }
  return true;
}

bool Matches(const Rule& r, const std::string& w, std::size_t p) {
  if (p + r.focus.size() > w.size()) return false;
  for (std::size_t k = 0; k < r.focus.size(); ++k)
    if (UpperChar(w[p + k]) != r.focus[k]) return false;
  return MatchRight(w, p + r.focus.size(), r.right) &&
         MatchLeft(w, static_cast<std::ptrdiff_t>(p) - 1, r.left);
}

}  // namespace

RuleState& Rules() {
  static RuleState state;
  return state;
}

void ResetRules() {
  for (auto& list : Rules().byFirstLetter) list.clear();
}

bool LoadRules(const std::string& path) { return LoadRulesInto(Rules(), path, RuleFormat{}); }

bool LoadRulesInto(RuleState& state, const std::string& path, const RuleFormat& format) {
  for (auto& list : state.byFirstLetter) list.clear();
  const auto lines = ReadLines(path);
  if (!lines) return false;
  for (const std::string& raw : *lines) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    const std::size_t open = line.find('(');
    if (open == std::string_view::npos) continue;
    const std::size_t close = line.find(')', open + 2);  // a focus holds at least one letter
    if (close == std::string_view::npos) continue;
    const std::size_t eq = line.find('=', close);
    std::string_view right = line.substr(close + 1, eq == std::string_view::npos ? std::string_view::npos : eq - close - 1);
    std::string_view output;
    if (eq != std::string_view::npos) {
      output = line.substr(eq + 1);
      output = Trim(output.substr(0, output.find('|')));
    }
    Rule r{Field(line.substr(0, open), kMaxContext, true), Field(line.substr(open + 1, close - open - 1), kMaxFocus, true),
           Field(Trim(right), kMaxContext, true), Field(output, format.maxOutput, false)};
    const auto first = static_cast<unsigned char>(r.focus[0]);
    if (first < 32 || first < format.firstFocusCode || first > format.lastFocusCode) continue;
    state.byFirstLetter[first].push_back(std::move(r));
  }
  return true;
}

const Rule* FindRule(const RuleState& state, const std::string& w, std::size_t p) {
  if (p >= w.size()) return nullptr;
  const auto first = static_cast<unsigned char>(UpperChar(w[p]));
  if (first < 32) return nullptr;
  for (const Rule& r : state.byFirstLetter[first])
    if (Matches(r, w, p)) return &r;
  return nullptr;
}

void ConvertWord(const std::string& w, std::size_t stress, std::vector<std::string>& lines) {
  bool marked = stress == 0;
  std::size_t p = 0;
  while (p < w.size()) {
    const Rule* rule = FindRule(Rules(), w, p);
    if (!rule) {
      ++p;
      continue;
    }
    // The mark waits for the first phoneme actually written at or after the stressed
    // letter, so a silent letter there (an H) cannot swallow it. A vowel rule whose letters
    // hold the stressed one takes it (EI of LEIA, stressed on its I).
    const bool markHere = !marked && (p + 1 >= stress || (p + rule->focus.size() >= stress && IsVowel(UpperChar(w[p]))));
    std::string phoneme;
    for (char c : rule->output) {
      if (c == '&') {
        if (!phoneme.empty()) lines.push_back(std::move(phoneme));
        phoneme.clear();
        continue;
      }
      if (markHere && !marked) {
        phoneme += '>';
        marked = true;
      }
      phoneme += c;
    }
    if (!phoneme.empty()) lines.push_back(std::move(phoneme));
    p += rule->focus.size();
  }
  lines.emplace_back();
}

}  // namespace Sonora
