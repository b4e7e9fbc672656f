// The small text pieces every layer uses on single-byte (Windows-1252) text: trimming, case
// folding, hex digits and plain decimal numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace TextKit {

// --- Trimming -------------------------------------------------------------------------------

constexpr bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }
// Blanks of a line read from a file or a child: space, tab, carriage return, line feed.
constexpr bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Every byte up to the space: the control characters and the space.
constexpr bool IsSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

template <class IsBlank>
constexpr std::string_view TrimLeftIf(std::string_view s, IsBlank blank) {
  std::size_t i = 0;
  while (i < s.size() && blank(s[i])) ++i;
  return s.substr(i);
}

template <class IsBlank>
constexpr std::string_view TrimRightIf(std::string_view s, IsBlank blank) {
  std::size_t n = s.size();
  while (n > 0 && blank(s[n - 1])) --n;
  return s.substr(0, n);
}

template <class IsBlank>
constexpr std::string_view TrimIf(std::string_view s, IsBlank blank) {
  return TrimRightIf(TrimLeftIf(s, blank), blank);
}

// Spaces and tabs off both ends.
constexpr std::string_view TrimSpacesTabs(std::string_view s) { return TrimIf(s, IsSpaceOrTab); }
// Spaces, tabs, carriage returns and line feeds off both ends.
constexpr std::string_view TrimLineBlanks(std::string_view s) { return TrimIf(s, IsLineBlank); }
// Control characters and spaces off both ends.
constexpr std::string_view TrimSpaceAndControls(std::string_view s) { return TrimIf(s, IsSpaceOrControl); }
// Spaces (and nothing else) off the end.
constexpr std::string_view TrimTrailingSpaces(std::string_view s) {
  return TrimRightIf(s, [](char c) { return c == ' '; });
}

// --- Case folding ---------------------------------------------------------------------------

// a..z and A..Z only; every other byte stays.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
std::string AsciiUpperText(std::string_view s);
std::string AsciiLowerText(std::string_view s);
// Same length and the same bytes but for the case of a..z.
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

// Every letter of the code page: a..z, à..þ (not ÷) and š œ ž ÿ to their capitals, and back.
constexpr char Cp1252Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  if (b == 0x9A || b == 0x9C || b == 0x9E) return static_cast<char>(b - 16);  // š œ ž
  if (b == 0xFF) return static_cast<char>(0x9F);                             // ÿ
  return c;
}
constexpr char Cp1252Lower(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 16);  // Š Œ Ž
  if (b == 0x9F) return static_cast<char>(0xFF);                             // Ÿ
  return c;
}
std::string Cp1252UpperText(std::string_view s);
std::string Cp1252LowerText(std::string_view s);

// The folding of the language's keywords and of the spoken text: a..z and the whole block
// 224..255 move down by 32 (so ÷ becomes × and ÿ becomes ß), and A..Z and 192..223 up.
constexpr char BlockUpper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'a' && b <= 'z') || b >= 224) return static_cast<char>(b - 32);
  return c;
}
constexpr char BlockLower(char c) {
  const auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 192 && b <= 223)) return static_cast<char>(b + 32);
  return c;
}

// --- Hex digits -----------------------------------------------------------------------------

// 0..15 for 0-9, a-f, A-F; -1 for any other byte.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
inline constexpr char kHexDigits[] = "0123456789ABCDEF";
// The two upper-case hex digits of a byte, high one first.
void AppendHexByte(std::string& out, uint8_t b);
// Letters, digits and "-._~" as they are; every other byte "%" and its two hex digits.
std::string PercentEncode(std::string_view text);

// --- Decimal numbers ------------------------------------------------------------------------

// A number of 1 to maxDigits digits and nothing else (no sign, no blank).
std::optional<uint64_t> ReadDigits(std::string_view s, std::size_t maxDigits);
// Digits only, at least one, of any count but worth at most `max` (leading zeros allowed).
std::optional<int64_t> ReadDecimal(std::string_view s, int64_t max);

}  // namespace TextKit
