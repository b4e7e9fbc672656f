// Character classes and case folding of Windows-1252 text.
#include "tts/text_classes.h"

#include <string_view>

#include "platform/text/cp1252.h"

namespace Sonora {
namespace {

constexpr std::string_view kAccentedLetters = "ÀÁÂÃÇÉÊÌÍÑÓÔÕÙÚÜàáâãçéêìíñóôõùúü"_cp;
constexpr std::string_view kAccentedVowels = "ÀÁÂÃÉÊÌÍÓÔÕÙÚÜàáâãéêìíóôõùúü"_cp;
constexpr std::string_view kBackVowels = "AOÁÂÓÔaoáâóô"_cp;
constexpr std::string_view kFrontVowels = "EIÉÍeiéí"_cp;

bool In(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

}  // namespace

char UpperChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  if (b == 0x9A || b == 0x9C || b == 0x9E) return static_cast<char>(b - 16);  // š œ ž
  if (b == 0xFF) return static_cast<char>(0x9F);                             // ÿ
  return c;
}

char LowerChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 16);
  if (b == 0x9F) return static_cast<char>(0xFF);
  return c;
}

std::string UpperText(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string LowerText(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool IsLetter(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= 0x80 && In(kAccentedLetters, c));
}

bool IsConsonant(char c) {
  const char u = UpperChar(c);
  if (u >= 'B' && u <= 'Z') return u != 'E' && u != 'I' && u != 'O' && u != 'U';
  return u == "Ç"_cp[0] || u == "Ñ"_cp[0];
}

bool IsVowel(char c) {
  const char u = UpperChar(c);
  return u == 'A' || u == 'E' || u == 'I' || u == 'O' || u == 'U' ||
         (static_cast<unsigned char>(c) >= 0x80 && In(kAccentedVowels, c));
}

bool IsBackVowel(char c) { return In(kBackVowels, c); }
bool IsFrontVowel(char c) { return In(kFrontVowels, c); }

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view s, int& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483647LL) return false;
  }
  value = static_cast<int>(negative ? -v : v);
  return true;
}

}  // namespace Sonora
