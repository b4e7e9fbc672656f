// The words of a cardinal number in the plain spellings the recorded word files are named
// by, built group by group with the conjunction where Portuguese puts it.
#include "speech/number_reading.h"

#include <array>
#include <string_view>

namespace Speech {
namespace {

using Words = std::array<std::string_view, 10>;

constexpr Words kUnits = {"zero", "um", "dois", "tres", "quatro", "cinco", "seis", "sete", "oito", "nove"};
constexpr Words kTeens = {"dez", "onze", "doze", "treze", "quatorze", "quinze", "dezesseis", "dezessete", "dezoito", "dezenove"};
constexpr Words kTens = {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta", "noventa"};
constexpr Words kHundreds = {"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};
// Trillions, billions, millions, thousands.
constexpr std::array<std::string_view, 4> kSingular = {"trilhao", "bilhao", "milhao", "mil"};
constexpr std::array<std::string_view, 4> kPlural = {"trilhoes", "bilhoes", "milhoes", "mil"};
constexpr uint64_t kLimit = 1000000000000000ULL;

// 1..999 in words: "cem", "cento e um", "trinta e quatro".
std::string GroupWords(int n) {
  if (n == 100) return "cem";
  const int h = n / 100, t = n / 10 % 10, u = n % 10;
  std::string out;
  auto add = [&out](std::string_view w) {
    if (!out.empty()) out += " e ";
    out += w;
  };
  if (h != 0) add(kHundreds[static_cast<std::size_t>(h)]);
  if (t == 1) add(kTeens[static_cast<std::size_t>(u)]);
  else {
    if (t != 0) add(kTens[static_cast<std::size_t>(t)]);
    if (u != 0) add(kUnits[static_cast<std::size_t>(u)]);
  }
  return out;
}

}  // namespace

std::string CardinalNumberWords(uint64_t value) {
  if (value == 0) return "zero";
  if (value >= kLimit) {
    // Beyond the trillions there is no group name: the digits are read one by one.
    std::string out;
    for (char d : std::to_string(value)) {
      if (!out.empty()) out += ' ';
      out += kUnits[static_cast<std::size_t>(d - '0')];
    }
    return out;
  }
  std::array<int, 5> groups{};  // trillions first, the units group last
  for (int g = 4; g >= 0; --g, value /= 1000) groups[static_cast<std::size_t>(g)] = static_cast<int>(value % 1000);
  int last = 0;
  for (int g = 0; g < 5; ++g)
    if (groups[static_cast<std::size_t>(g)] != 0) last = g;
  std::string out;
  for (int g = 0; g < 5; ++g) {
    const int n = groups[static_cast<std::size_t>(g)];
    if (n == 0) continue;
    if (!out.empty()) {
      out += ' ';
      // "e" joins the last group only when it is below a hundred or a whole hundred:
      // mil e cinquenta, mil e duzentos, but mil duzentos e trinta e quatro.
      if (g == last && (n < 100 || n % 100 == 0)) out += "e ";
    }
    // A thousand is "mil", never "um mil"; the larger groups keep their "um".
    if (!(g == 3 && n == 1)) out += GroupWords(n);
    if (g < 4) {
      if (!(g == 3 && n == 1)) out += ' ';
      out += n == 1 ? kSingular[static_cast<std::size_t>(g)] : kPlural[static_cast<std::size_t>(g)];
    }
  }
  return out;
}

}  // namespace Speech
