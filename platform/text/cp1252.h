// Windows-1252 text: conversion to and from UTF-8 at the Linux boundary, and the
// "..."_cp literal that turns the system's own UTF-8 source texts into single-byte
// text once, at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Cp1252 {

// Unicode code point of each byte 0x80..0x9F; 0 where Windows-1252 leaves it undefined.
inline constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Code point of a byte (undefined bytes 81, 8D, 8F, 90, 9D map to themselves, as
// Windows' "best fit" does).
constexpr char32_t ToUnicode(uint8_t b) {
  if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) return kHighControls[b - 0x80];
  return b;
}

// Byte for a code point; -1 when Windows-1252 has no such character.
constexpr int FromUnicode(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  if (cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D) return static_cast<int>(cp);
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns its length (0 when malformed) and the code point.
constexpr std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  std::size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  char32_t v = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<uint8_t>(s[i + k]);
    if ((b >> 6) != 2) return 0;
    v = (v << 6) | (b & 0x3F);
  }
  const char32_t min = len == 1 ? 0 : len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  cp = v;
  return len;
}

// True when the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view s);

// UTF-8 to Windows-1252; characters the code page lacks become `missing`.
std::string FromUtf8(std::string_view utf8, char missing = '?');

// Windows-1252 to UTF-8.
std::string ToUtf8(std::string_view text);

// Text read from a Linux file: well-formed UTF-8 sequences decoded (characters the code page
// lacks become "?"), any other byte taken as Windows-1252.
std::string FromFileText(std::string_view bytes);

namespace detail {
template <std::size_t N>
struct Utf8Literal {
  char chars[N]{};
  constexpr Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = s[i];
  }
};

template <Utf8Literal L>
struct Converted {
  static constexpr auto Make() {
    std::array<char, sizeof(L.chars)> out{};
    std::string_view in(L.chars, sizeof(L.chars) - 1);
    std::size_t n = 0;
    for (std::size_t i = 0; i < in.size();) {
      char32_t cp = 0;
      const std::size_t len = DecodeUtf8(in, i, cp);
      if (len == 0) throw "malformed UTF-8 in a source text";
      const int b = FromUnicode(cp);
      if (b < 0) throw "source text holds a character outside Windows-1252";
      out[n++] = static_cast<char>(b);
      i += len;
    }
    return std::pair{out, n};
  }
  static constexpr auto value = Make();
};
}  // namespace detail

}  // namespace Cp1252

// "Comando inválido: "_cp is the Windows-1252 form of a UTF-8 source text.
template <Cp1252::detail::Utf8Literal L>
constexpr std::string_view operator""_cp() {
  return {Cp1252::detail::Converted<L>::value.first.data(), Cp1252::detail::Converted<L>::value.second};
}
