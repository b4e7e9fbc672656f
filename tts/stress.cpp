// Stress from spelling: a written accent decides; otherwise a small state machine walks
// the word from its end, following the Portuguese rules for paroxytones (the default),
// oxytones (words in consonants other than S and M, in I and U) and diphthongs; -ns ends like -m.
#include "tts/stress.h"

#include <string>
#include <string_view>

#include "platform/text/cp1252.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

constexpr std::string_view kStressAccents = "àáâéêíóôú"_cp;
constexpr std::string_view kTilde = "ãõ"_cp;
constexpr std::string_view kVowels = "aeiouwyü"_cp;

bool In(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }
bool IsAeo(char c) { return c == 'a' || c == 'e' || c == 'o'; }

enum class State { S0, S1, S2, S3, S4, S5, S10, S20, S21, S30, S40 };

}  // namespace

std::size_t FindStress(std::string_view word) {
  const std::string w = LowerText(word);
  // An acute, circumflex or grave accent marks the stress even when a tilde follows
  // (órgão, bênção); a tilde alone marks it otherwise (irmã, mamão).
  for (std::size_t k = w.size(); k > 0; --k)
    if (In(kStressAccents, w[k - 1])) return k;
  for (std::size_t k = w.size(); k > 0; --k)
    if (In(kTilde, w[k - 1])) return k;
  if (w.find_first_of(kVowels) == std::string::npos) return 0;

  State s = State::S0;
  std::size_t r = 0;
  for (std::size_t k = w.size(); k > 0; --k) {
    const char c = w[k - 1];
    switch (s) {
      case State::S0:
        if (IsAeo(c)) { r = k; s = State::S1; }
        else if (c == 'i') { r = k; s = State::S20; }
        else if (c == 'u') { r = k; s = State::S10; }
        else if (c == 'm') s = State::S40;
        // -ens ends like -em: homens, mensagens (and -ins, -ons, -uns like -im, -om, -um)
        else if (c == 'n' && k + 1 == w.size() && w.back() == 's') s = State::S40;
        else if (c != 's') s = State::S30;
        break;
      case State::S1:
        if (c == 'u') s = State::S4;
        else if (In(kVowels, c)) return k;
        else s = State::S2;
        break;
      case State::S2:
        if (IsAeo(c)) return k;
        if (c == 'i' || c == 'u') { r = k; s = State::S3; }
        break;
      case State::S3:
        if (IsAeo(c)) return k;
        if (c != 'u') return r;
        s = State::S5;
        break;
      case State::S4:
        if (c == 'g' || c == 'q') { r = k + 2; s = State::S2; }
        else return k + 1;
        break;
      case State::S5:
      case State::S21:
        return c == 'g' || c == 'q' ? k + 2 : k + 1;
      case State::S10:
        return c == 'a' || c == 'e' || c == 'i' || c == 'o' ? k : r;
      case State::S20:
        // the vowel of a final diphthong: pai, reais, her�i
        if (IsAeo(c)) return k;
        else if (c == 'u') s = State::S21;
        else return r;
        break;
      case State::S30:
        if (In(kVowels, c)) return k;
        break;
      case State::S40:
        if (c == 'a' || c == 'e') { r = k; s = State::S1; }
        else if (c == 'i' || c == 'o' || c == 'u') return k;
        else s = State::S0;
        break;
    }
  }
  return r;
}

}  // namespace Sonora
