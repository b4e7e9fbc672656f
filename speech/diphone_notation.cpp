// The diphone voice shares the rule engine of Sonora, with its own lower-case words and
// rule outputs written between "/" separators, so that the player sees where each
// letter's sound begins.
#include "speech/diphone_notation.h"

#include <array>

#include "tts/text_classes.h"

namespace DiphoneNotation {
namespace {

bool AsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsVowel(char c) {
  c = Sonora::LowerChar(c);
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}
bool IsMark(char c) { return c == '\'' || c == '`' || c == '^' || c == '~'; }

// What a code of 128..255 becomes; "" says nothing.
std::string_view Replacement(uint8_t c) {
  // Windows-1252 letters 192..255, lower and upper case alike.
  static constexpr std::array<std::string_view, 32> kLetters = {
      "a`", "a'", "a^", "a~", "a~", "a", "ae", "ss", "e`", "e'", "e^", "e\"", "i`", "i'", "i^", "i\"",
      "",   "nh", "o`", "o'", "o^", "o~", "o`", "x", "0", "u`", "u'", "u^", "u", "", "", ""};
  // The letters of the DOS code page at 128..154.
  static constexpr std::array<std::string_view, 27> kDos = {
      "ss", "u\"", "e'", "a^", "a~", "a`", "a'", "ss", "e^", "e\"", "e`", "i\"", "i^", "i`",
      "a~", "a'", "e'", "ae", "-", "o^", "o~", "o`", "u^", "u`", "y-", "o~", "u\""};
  if (c >= 224) {
    if (c == 247) return "x";                    // ÷
    if (c == 255 || c == 253 || c == 254 || c == 240) return "";  // ÿ ý þ ð
    return kLetters[c - 224];
  }
  if (c >= 192) return kLetters[c - 192];        // ß (223) is "" there too
  if (c <= 154) return kDos[c - 128];
  switch (c) {
    case 160: return "a'";
    case 161: return "i'";
    case 162: return "o'";
    case 163: return "u'";
    case 164: case 165: return "nh";
    case 167: return "\xA7";                     // §
    case 168: case 191: return "?";
    case 171: return "\xAA";                     // ª
    case 173: return "!";
    case 174: case 175: return "\"";
    case 187: return "\xBA";                     // º
    default: return "";
  }
}

bool Spelled(std::string_view w) {
  bool consonant = false;
  for (char c : w) {
    if (AsciiLetter(c) && !IsVowel(c)) consonant = true;
    else if (std::string_view(" !,.:;?").find(c) == std::string_view::npos) return false;
  }
  return consonant;
}

// The stressed vowel of a vowel group that ends at e: a glide i or u ends a falling
// diphthong (pai, meu), so the vowel before it carries the stress; otherwise the last.
std::size_t Nucleus(std::string_view w, std::size_t e) {
  const char last = w[e];
  if ((last == 'i' || last == 'u') && e > 0 && IsVowel(w[e - 1]) && !(w[e - 1] == 'u' && e > 1 && (w[e - 2] == 'q' || w[e - 2] == 'g')))
    return e - 1;
  return e;
}

// The last vowel at or before k that is a syllable's vowel (the u of qu and gu is not);
// npos when none.
std::size_t VowelAtOrBefore(std::string_view w, std::size_t k) {
  for (std::size_t i = k + 1; i-- > 0;) {
    if (!IsVowel(w[i])) continue;
    if (w[i] == 'u' && i > 0 && (w[i - 1] == 'q' || w[i - 1] == 'g') && i + 1 < w.size() && IsVowel(w[i + 1])) continue;
    return i;
  }
  return std::string_view::npos;
}

}  // namespace

State& Files() {
  static State state;
  return state;
}

void ResetFiles() { Files() = {}; }

int LoadFiles(const std::string& rulesPath, const std::string& exceptionsPath) {
  if (!Sonora::LoadRulesInto(Files().rules, rulesPath, Sonora::RuleFormat{11, 32, 95})) return 2;
  if (!Sonora::LoadExceptionsInto(Files().exceptions, exceptionsPath, false)) return 2;
  return 0;
}

std::string Normalise(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<uint8_t>(c);
    const bool besideLetter = (i > 0 && AsciiLetter(text[i - 1])) || (i + 1 < text.size() && AsciiLetter(text[i + 1]));
    if ((c == 'w' || c == 'W') && besideLetter) out += 'u';
    else if ((c == 'y' || c == 'Y') && besideLetter) out += 'i';
    else if (c == '\'' && i > 0 && (text[i - 1] == 'd' || text[i - 1] == 'D')) continue;
    else if (u >= 128 || u < 32) {
      const std::string_view r = u >= 128 ? Replacement(u) : std::string_view();
      if (r.empty()) out += std::string_view(" \0 ", 3);
      else out += r;
    } else out += c;
  }
  return out;
}

// Read from the last letter towards the first: the state is what the end of the word
// says about where the stress lies. After a final s (and the n of -ns): a, e, o, and am,
// em after a or e, put it on the syllable before the last; i, u, any consonant, and im,
// om, um, on the last. Vowels meeting in hiatus (dia, rua) count as two syllables, a
// glide after a vowel (pai, meio) as one.
std::size_t FindStress(std::string_view w) {
  std::size_t vowels = 0;
  for (char c : w) {
    if (IsMark(c)) return 0;
    if (IsVowel(c)) ++vowels;
  }
  if (w.empty() || (vowels <= 1 && !(vowels == 1 && Sonora::LowerChar(w.back()) == 'l'))) return 0;
  std::string lower = Sonora::LowerText(w);
  const std::string_view s(lower);
  std::size_t k = s.size() - 1;
  if (s[k] == 's' && k > 0) --k;
  bool penultimate = false;
  if (s[k] == 'a' || s[k] == 'e' || s[k] == 'o') {
    penultimate = true;
  } else if ((s[k] == 'm' || s[k] == 'n') && k > 0 && (s[k - 1] == 'a' || s[k - 1] == 'e')) {
    penultimate = true;
    --k;
  }
  if (!penultimate) {
    const std::size_t v = VowelAtOrBefore(s, k);
    return v == std::string_view::npos ? 0 : Nucleus(s, v) + 1;
  }
  // k is the last syllable's vowel; a glide or vowel right before it decides first.
  if (k > 0 && (s[k - 1] == 'i' || s[k - 1] == 'u') && VowelAtOrBefore(s, k - 1) == k - 1) {
    if (k > 1 && IsVowel(s[k - 2]) && s[k - 2] != 'i' && s[k - 2] != 'u') return k - 1;  // meio: the vowel before the glide
    return k;                                                                             // dia, rua: the i or u
  }
  std::size_t j = k;
  while (j > 0 && IsVowel(s[j - 1])) --j;  // the rest of the last vowel group
  if (j == 0) return 0;
  const std::size_t v = VowelAtOrBefore(s, j - 1);
  return v == std::string_view::npos ? 0 : Nucleus(s, v) + 1;
}

std::string WordNotation(std::string_view raw) {
  std::string w = Sonora::LowerText(raw);
  std::string kept;
  for (char c : w)
    if (c != '\0') kept += c;
  if (kept.empty()) return {};
  if (Spelled(kept)) {
    std::string out;
    for (char c : kept) out += std::string("[ /_") + c + "]";
    return out;
  }
  w = Sonora::ApplyExceptionsIn(Files().exceptions, kept, 's', 'm');
  const std::size_t stress = FindStress(w);
  if (stress > 0) w[stress - 1] = Sonora::UpperChar(w[stress - 1]);
  std::string out = "[";
  std::size_t p = 0;
  while (p < w.size()) {
    const Sonora::Rule* rule = Sonora::FindRule(Files().rules, w, p);
    if (rule == nullptr) {
      if (w[p] != ' ') out += std::string(" /_") + w[p];
      ++p;
      continue;
    }
    std::string piece = rule->output;
    if (stress > 0 && p + 1 == stress)
      for (char& c : piece)
        if (IsVowel(c)) {
          c = Sonora::UpperChar(c);
          break;
        }
    if (!piece.empty()) {
      if (out.back() != '[') out += '/';
      out += piece;
    }
    p += rule->focus.empty() ? 1 : rule->focus.size();
  }
  return out + "]";
}

std::string TextNotation(std::string_view text) {
  const std::string normal = Normalise(text);
  std::string out;
  std::size_t i = 0;
  while (i < normal.size()) {
    const std::size_t end = normal.find(' ', i);
    const std::size_t stop = end == std::string::npos ? normal.size() : end;
    const std::string word = WordNotation(std::string_view(normal).substr(i, stop - i));
    if (!word.empty()) {
      if (!out.empty()) out += ' ';
      out += word;
    }
    i = stop + 1;
  }
  return out;
}

}  // namespace DiphoneNotation
