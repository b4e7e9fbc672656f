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
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
// Case-folded comparison of a prefix: does `s` begin with `upperPrefix` (already folded)?
bool StartsWithFolded(std::string_view s, std::string_view upperPrefix);
bool EqualsFolded(std::string_view s, std::string_view upper);

}  // namespace Text
