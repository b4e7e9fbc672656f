// Character classes and case folding of Windows-1252 text.
#include "tts/text_classes.h"

#include <string_view>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

namespace Sonora {
namespace {

constexpr std::string_view kAccentedLetters = "ÀÁÂÃÇÉÊÌÍÑÓÔÕÙÚÜàáâãçéêìíñóôõùúü"_cp;
constexpr std::string_view kAccentedVowels = "ÀÁÂÃÉÊÌÍÓÔÕÙÚÜàáâãéêìíóôõùúü"_cp;
constexpr std::string_view kBackVowels = "AOÁÂÓÔaoáâóô"_cp;
constexpr std::string_view kFrontVowels = "EIÉÍeiéí"_cp;

bool In(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

}  // namespace

char UpperChar(char c) { return TextKit::Cp1252Upper(c); }
char LowerChar(char c) { return TextKit::Cp1252Lower(c); }
std::string UpperText(std::string_view s) { return TextKit::Cp1252UpperText(s); }
std::string LowerText(std::string_view s) { return TextKit::Cp1252LowerText(s); }

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

std::string_view Trim(std::string_view s) { return TextKit::TrimLineBlanks(s); }

bool ParseInt(std::string_view s, int& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  const std::optional<int64_t> v = TextKit::ReadDecimal(s.substr(i), 2147483647LL);
  if (!v) return false;
  value = static_cast<int>(negative ? -*v : *v);
  return true;
}

}  // namespace Sonora
