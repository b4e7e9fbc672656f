// Cardinal and ordinal words of Brazilian Portuguese, built group by group.
#include "tts/number_words.h"

#include <array>
#include <string_view>

#include "platform/text/cp1252.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

using Words = std::array<std::string_view, 10>;

constexpr Words kUnits = {"zero", "um", "dois", "três"_cp, "quatro", "cinco", "seis", "sete", "oito", "nove"};
constexpr Words kTeens = {"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete", "dezoito", "dezenove"};
constexpr Words kTens = {"", "", "vinte", "trinta", "quarenta", "cinqüenta"_cp, "sessenta", "setenta", "oitenta", "noventa"};
constexpr Words kHundreds = {"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};
constexpr std::array<std::string_view, 4> kGroupSingular = {"trilhão "_cp, "bilhão "_cp, "milhão "_cp, "mil "};
constexpr std::array<std::string_view, 4> kGroupPlural = {"trilhões "_cp, "bilhões "_cp, "milhões "_cp, "mil "};
constexpr Words kOrdinalUnits = {"", "primeiro", "segundo", "terceiro", "quarto", "quinto", "sexto", "sétimo"_cp, "oitavo", "nono"};
constexpr Words kOrdinalTens = {"", "décimo"_cp, "vigésimo"_cp, "trigésimo"_cp, "quadragésimo"_cp, "quinquagésimo"_cp, "sexagésimo"_cp, "septuagésimo"_cp, "octagésimo"_cp, "nonagésimo"_cp};
constexpr Words kOrdinalHundreds = {"", "centésimo"_cp, "ducentésimo"_cp, "tricentésimo"_cp, "quadrigentésimo"_cp, "quingentésimo"_cp, "seiscentésimo"_cp, "septigentésimo"_cp, "octigentésimo"_cp, "nongentésimo"_cp};
constexpr std::string_view kThousandth = "milésimo"_cp;
constexpr int kThousands = 3;                    // index of the thousands group
constexpr uint64_t kLimit = 1000000000000000ULL;  // 15 digits: trillions are the largest group

constexpr NumberTables kCardinal = {kUnits, kTeens, kTens, kHundreds, kGroupSingular, kGroupPlural};

std::string GroupWords(const NumberTables& w, int h, int t, int u) {
  if (h == 0 && t == 0 && u == 0) return {};
  if (h == 1 && t == 0 && u == 0) return "cem";
  std::string out;
  if (h != 0) {
    out += w.hundreds[h];
    if (t != 0 || u != 0) out += " e ";
  }
  if (t == 1) {
    out += w.teens[u];
  } else {
    if (t != 0) {
      out += w.tens[t];
      if (u != 0) out += " e ";
    }
    if (u != 0) out += w.units[u];
  }
  return out;
}

}  // namespace

const NumberTables& CardinalTables() { return kCardinal; }

std::string CardinalWords(uint64_t value, const NumberTables& w) {
  if (value == 0) return "zero";
  if (value >= kLimit) {
    // Beyond the trillions there is no group name: the digits are read one by one.
    std::string digits = std::to_string(value), out;
    for (char d : digits) {
      if (!out.empty()) out += ' ';
      out += w.units[d - '0'];
    }
    return out;
  }
  std::array<std::string, 5> groups;
  std::array<int, 5> values{};
  uint64_t rest = value;
  for (int g = 4; g >= 0; --g) {
    const int n = static_cast<int>(rest % 1000);
    rest /= 1000;
    values[g] = n;
    if (g == kThousands && n == 1) {
      groups[g] = std::string(w.groupSingular[g]);  // "mil", never "um mil"
      continue;
    }
    groups[g] = GroupWords(w, n / 100, n / 10 % 10, n % 10);
    if (g < 4 && !groups[g].empty()) groups[g] += ' ' + std::string(n == 1 ? w.groupSingular[g] : w.groupPlural[g]);
  }
  int last = -1;
  for (int g = 0; g < 5; ++g)
    if (!groups[g].empty()) last = g;
  // The last group is joined by "e" only when it is below one hundred or a whole hundred:
  // "mil e cinquenta", "mil e duzentos", but "mil duzentos e trinta e quatro".
  const bool joined = last >= 0 && (values[last] < 100 || values[last] % 100 == 0);
  std::string out;
  for (int g = 0; g < 5; ++g) {
    if (groups[g].empty()) continue;
    if (g == last && joined && !out.empty()) out += "e ";
    out += groups[g];
  }
  return out;
}

std::string_view DigitWord(int digit) { return digit >= 0 && digit <= 9 ? kUnits[digit] : std::string_view(); }

std::string OrdinalWords(char gender, uint64_t value) {
  if (value >= 2000) return CardinalWords(value);
  if (value == 0) return "zero";
  const int u = static_cast<int>(value % 10), t = static_cast<int>(value / 10 % 10);
  const int h = static_cast<int>(value / 100 % 10);
  const bool thousand = value >= 1000;
  std::string out;
  const auto add = [&](std::string_view word) {
    if (word.empty()) return;
    std::string w(word);
    if (gender == 'f') w.back() = 'a';
    if (!out.empty()) out += ' ';
    out += w;
  };
  if (thousand) add(kThousandth);
  add(kOrdinalHundreds[h]);
  add(kOrdinalTens[t]);
  add(kOrdinalUnits[u]);
  return std::string(Trim(out));
}

}  // namespace Sonora
