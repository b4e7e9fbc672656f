// The phone table of the diphone voice, the one place that ties notation, diphone names
// and eSpeak NG phonemes together, and the reading of notation into phones.
#include "speech/diphone_phones.h"

#include <array>

#include "platform/text/text_kit.h"

namespace DiphonePhones {
namespace {

using K = Kind;
// Multi-letter notations come first among those sharing a first letter, so that the
// longest-first reading below can simply take the first that matches.
constexpr std::array<Phone, 42> kPhones{{
    {"", "$", K::Silence, "_", "silence before and after a word"},
    {"a", "a", K::Vowel, "a", "a of casa"},
    {"eh", "eh", K::Vowel, "E", "open e of cafe"},
    {"e", "e", K::Vowel, "e", "closed e of dedo"},
    {"i", "i", K::Vowel, "i", "i of vida, final e of pode"},
    {"oh", "oh", K::Vowel, "O", "open o of avo, sol"},
    {"o", "o", K::Vowel, "o", "closed o of ovo"},
    {"u", "u", K::Vowel, "u", "u of uva, final o of gato"},
    {"a^", "an", K::Nasal, "&~", "nasal a of manha, canto"},
    {"e^", "en", K::Nasal, "e~", "nasal e of dente"},
    {"i^", "in", K::Nasal, "i~", "nasal i of lindo"},
    {"o^", "on", K::Nasal, "o~", "nasal o of onde"},
    {"u^", "un", K::Nasal, "u~", "nasal u of mundo"},
    {"w", "w", K::Glide, "w", "glide u of mau, final l of sol"},
    {"y", "y", K::Glide, "j", "glide i of pai"},
    {"", "wn", K::NasalGlide, "w", "nasal glide of pao"},
    {"", "yn", K::NasalGlide, "j", "nasal glide of mae, bem"},
    {"p", "p", K::Consonant, "p", "pato"},
    {"b", "b", K::Consonant, "b", "bola"},
    {"tch", "c", K::Consonant, "tS", "t of tia, leite"},
    {"t", "t", K::Consonant, "t", "tatu"},
    {"dj", "dj", K::Consonant, "dZ", "d of dia, cidade"},
    {"d", "d", K::Consonant, "d", "dado"},
    {"k", "k", K::Consonant, "k", "casa, quero"},
    {"g", "g", K::Consonant, "g", "gato, guerra"},
    {"f", "f", K::Consonant, "f", "faca"},
    {"v", "v", K::Consonant, "v", "vaca"},
    {"s", "s", K::Consonant, "s", "sapo, cinco, assim"},
    {"z", "z", K::Consonant, "z", "casa, zero"},
    {"x", "x", K::Consonant, "S", "chave, xadrez"},
    {"j", "j", K::Consonant, "Z", "jeito, gente"},
    {"m", "m", K::Consonant, "m", "mae"},
    {"nh", "nh", K::Consonant, "n^", "manha"},
    {"n", "n", K::Consonant, "n", "nada"},
    {"lh", "lh", K::Consonant, "l^", "filho"},
    {"l", "l", K::Consonant, "l", "lado"},
    // The strong r's code is not "rr": "r" + "rr" and "rr" + "r" would name one unit.
    {"rr", "rx", K::Consonant, "x", "strong r of carro, rato, honra"},
    {"rh", "q", K::Consonant, "r", "r that ends a syllable, cantar, carta"},
    {"r", "r", K::Consonant, "*", "tap r of caro, prato"},
    // No rule writes these: the player makes the unstressed a, i and u of a word's last
    // syllable the reduced vowels (see ReducedOf).
    {"", "a&", K::Vowel, "&", "unstressed final a of casa, para"},
    {"", "i&", K::Vowel, "y", "unstressed final i of pode, sete"},
    {"", "u&", K::Vowel, "U", "unstressed final u of gato, cinco"},
}};

bool IsUpperVowel(char c) { return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U'; }

int Find(Kind kind, std::string_view code) {
  for (std::size_t i = 0; i < kPhones.size(); ++i)
    if (kPhones[i].kind == kind && kPhones[i].code == code) return static_cast<int>(i);
  return kSilence;
}

// Code of a token inside a unit: its vowel upper-cased when stressed.
std::string UnitCode(Token t) {
  std::string code(kPhones[static_cast<std::size_t>(t.phone)].code);
  if (t.stressed && !code.empty()) code[0] = TextKit::AsciiUpper(code[0]);
  return code;
}

}  // namespace

std::span<const Phone> Table() { return kPhones; }

int ReducedOf(int phone) {
  const std::string_view code = kPhones[static_cast<std::size_t>(phone)].code;
  if (code != "a" && code != "i" && code != "u") return -1;
  for (std::size_t i = 0; i < kPhones.size(); ++i)
    if (kPhones[i].code.size() == 2 && kPhones[i].code[0] == code[0] && kPhones[i].code[1] == '&') return static_cast<int>(i);
  return -1;
}

bool IsReduced(int phone) { return kPhones[static_cast<std::size_t>(phone)].code.ends_with('&'); }

bool IsVowelLike(Kind k) { return k == K::Vowel || k == K::Nasal || k == K::Glide || k == K::NasalGlide; }

std::vector<Token> Read(std::string_view s) {
  std::vector<Token> out;
  bool nasalGlideNext = false;
  std::size_t i = 0;
  while (i < s.size()) {
    int found = -1;
    std::size_t length = 0;
    for (std::size_t p = 1; p < kPhones.size(); ++p) {
      const std::string_view n = kPhones[p].notation;
      if (n.empty() || n.back() == '^' || n.size() > s.size() - i) continue;
      bool same = true;
      for (std::size_t k = 0; k < n.size() && same; ++k) same = TextKit::AsciiLower(s[i + k]) == n[k];
      if (same) {
        found = static_cast<int>(p);
        length = n.size();
        break;
      }
    }
    if (found < 0) {
      ++i;
      continue;
    }
    Token t{found, IsUpperVowel(s[i])};
    const Kind kind = kPhones[static_cast<std::size_t>(found)].kind;
    if (kind == K::Vowel && length == 1 && i + 1 < s.size() && (s[i + 1] == '^' || s[i + 1] == '~')) {
      nasalGlideNext = s[i + 1] == '~';
      t.phone = Find(K::Nasal, std::string(1, TextKit::AsciiLower(s[i])) + "n");
      length = 2;
    } else if (kind == K::Glide && nasalGlideNext) {
      t.phone = Find(K::NasalGlide, std::string(kPhones[static_cast<std::size_t>(found)].code) + "n");
      nasalGlideNext = false;
    } else {
      nasalGlideNext = false;
    }
    out.push_back(t);
    i += length;
  }
  return out;
}

std::string PairUnit(Token a, Token b) {
  const Kind ka = kPhones[static_cast<std::size_t>(a.phone)].kind;
  const Kind kb = kPhones[static_cast<std::size_t>(b.phone)].kind;
  if (ka == K::Nasal && kb == K::NasalGlide) {
    std::string unit = UnitCode(a).substr(0, 1);
    unit += kPhones[static_cast<std::size_t>(b.phone)].code[0];
    return unit + "~";
  }
  return UnitCode(a) + UnitCode(b);
}

Gathered GatherNames(std::string_view unit) {
  Gathered g;
  std::string name = "$";
  for (char c : unit) {
    if (IsUpperVowel(c)) g.stress = true;
    if (c == '^' || c == '~') {
      name.append(c == '^' ? "CIRC" : "TIL");
      g.names.push_back(name);
      name.assign(1, '$');
    } else {
      name += TextKit::AsciiUpper(c);
    }
  }
  if (name != "$") g.names.push_back(name);
  for (std::string& n : g.names)
    for (char& c : n) c = TextKit::AsciiUpper(c);
  return g;
}

std::string PairName(int a, int b) {
  const Gathered g = GatherNames(PairUnit({a, false}, {b, false}));
  return g.names.empty() ? std::string() : g.names.front();
}

std::string SoloName(int a) {
  std::string name = "$";
  for (char c : kPhones[static_cast<std::size_t>(a)].code) name += TextKit::AsciiUpper(c);
  return name;
}

}  // namespace DiphonePhones
