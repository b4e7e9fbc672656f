// Text helpers of the language: blanks, trimming and the upper-case folding that keywords,
// labels and comparisons use (a..z and the accented block 224..255 move down by 32).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Text {

constexpr bool IsBlank(char c) { return static_cast<uint8_t>(c) <= 32; }

constexpr char FoldChar(char c) {
  const auto b = static_cast<uint8_t>(c);
  if ((b >= 'a' && b <= 'z') || b >= 224) return static_cast<char>(b - 32);
  return c;
}

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Fold(std::string_view s);

// Inline: every line and every argument read goes through these.
inline std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

inline std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

// Case-folded comparison of a prefix: does `s` begin with `upperPrefix` (already folded)?
inline bool StartsWithFolded(std::string_view s, std::string_view upperPrefix) {
  if (s.size() < upperPrefix.size()) return false;
  for (std::size_t i = 0; i < upperPrefix.size(); ++i)
    if (FoldChar(s[i]) != upperPrefix[i]) return false;
  return true;
}

inline bool EqualsFolded(std::string_view s, std::string_view upper) {
  return s.size() == upper.size() && StartsWithFolded(s, upper);
}

}  // namespace Text
