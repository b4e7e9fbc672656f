// Text helpers of the language: blanks, trimming and the upper-case folding that keywords,
// labels and comparisons use (a..z and the accented block 224..255 move down by 32).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/text_kit.h"

namespace Text {

constexpr bool IsBlank(char c) { return TextKit::IsSpaceOrControl(c); }

constexpr char FoldChar(char c) { return TextKit::BlockUpper(c); }

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Fold(std::string_view s);

// Inline: every line and every argument read goes through these.
inline std::string_view TrimLeft(std::string_view s) { return TextKit::TrimLeftIf(s, TextKit::IsSpaceOrControl); }

inline std::string_view Trim(std::string_view s) { return TextKit::TrimSpaceAndControls(s); }

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
