// Text preprocessing: walks the text once, rewriting numbers, symbols, abbreviations and
// consonant-only words (acronyms) into words.
#include "tts/preprocess.h"

#include <cstdint>

#include "platform/text/cp1252.h"
#include "tts/abbreviations.h"
#include "tts/character_names.h"
#include "tts/number_words.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

constexpr std::size_t kMaxDigits = 15;
constexpr char kMasculineOrdinal = '\xBA';  // º
constexpr char kFeminineOrdinal = '\xAA';   // ª

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsKeptMark(char c) {
  return c == ' ' || c == '!' || c == '(' || c == ')' || c == ',' || c == '.' || c == ':' || c == ';' || c == '?';
}

struct Walker {
  std::string_view text;
  std::size_t i = 0;
  std::string out;

  char At(std::size_t k) const { return k < text.size() ? text[k] : '\0'; }
  bool Has(std::size_t k) const { return k < text.size(); }

  // A number at i: digit strings with hyphens (telephone numbers, dates) digit by digit,
  // otherwise leading zeros, then a cardinal or an ordinal.
  void ReadNumber() {
    std::size_t end = i;
    bool hyphen = false;
    while (Has(end) && (IsDigit(text[end]) || text[end] == '-')) hyphen |= text[end++] == '-';
    if (hyphen) {
      for (std::size_t k = i; k < end; ++k) {
        out += ' ';
        out += text[k] == '-' ? std::string_view("traço"_cp) : DigitWord(text[k] - '0');
      }
      i = end;
      return;
    }
    std::string zeros;
    while (At(i) == '0' && IsDigit(At(i + 1))) {
      zeros += "zero ";
      ++i;
    }
    uint64_t value = 0;
    std::size_t digits = 0;
    while (digits < kMaxDigits && IsDigit(At(i))) {
      value = value * 10 + static_cast<uint64_t>(text[i] - '0');
      ++digits;
      ++i;
      if (At(i) == '.' && IsDigit(At(i + 1)) && IsDigit(At(i + 2)) && IsDigit(At(i + 3)) && !IsDigit(At(i + 4)) &&
          digits + 3 <= kMaxDigits)
        ++i;  // thousands separator
    }
    char gender = 0;
    bool plural = false;
    const std::string_view rest = text.substr(i);
    if (rest.empty() || rest.front() == ' ') {
    } else if (rest.front() == kMasculineOrdinal || rest.front() == kFeminineOrdinal) {
      gender = rest.front() == kMasculineOrdinal ? 'm' : 'f';
      i += 1;
    } else if (rest.starts_with("o.") || rest.starts_with("a.")) {
      gender = rest.front() == 'o' ? 'm' : 'f';
      i += 2;
    } else if (rest.starts_with("os.") || rest.starts_with("as.")) {
      gender = rest.front() == 'o' ? 'm' : 'f';
      plural = true;
      i += 3;
    }
    if (gender == 0) {
      out += zeros;
      out += CardinalWords(value);
    } else {
      out += OrdinalWords(gender, value);
      if (plural) out += 's';
    }
  }

  // An abbreviation of several words ("p. ex.") starting at i, with its final full stop.
  bool ReadPhraseAbbreviation() {
    for (std::size_t index : Abbreviations().phraseKeys) {
      const Abbreviation& a = Abbreviations().entries[index];
      const std::size_t end = i + a.key.size();
      if (end >= text.size() || text[end] != '.' || (Has(end + 1) && text[end + 1] != ' ')) continue;
      if (UpperText(text.substr(i, a.key.size())) != a.key) continue;
      out += a.expansion;
      i = Has(end + 1) ? end + 1 : end;  // at the end of the text the full stop still ends the phrase
      return true;
    }
    return false;
  }

  void ReadWord() {
    if (!Abbreviations().phraseKeys.empty() && ReadPhraseAbbreviation()) return;
    std::size_t end = i;
    bool consonantsOnly = true;
    while (Has(end)) {
      if (IsLetter(text[end])) {
        consonantsOnly &= IsConsonant(text[end]);
        ++end;
      } else if (text[end] == '-' && end > i && IsLetter(text[end - 1])) {
        ++end;
      } else {
        break;
      }
    }
    const std::string_view word = text.substr(i, end - i);
    const std::string* expansion = At(end) == '.' ? FindAbbreviation(UpperText(word)) : nullptr;
    if (expansion && (!Has(end + 1) || text[end + 1] == ' ')) {
      out += *expansion;
      // At the end of the text the full stop is kept: it still ends the sentence.
      i = Has(end + 1) ? end + 1 : end;
      return;
    }
    if (consonantsOnly && !expansion) {
      for (char c : word) out += CharacterName(static_cast<unsigned char>(c));
    } else {
      out += word;
    }
    i = end;
  }

  void Run() {
    while (Has(i)) {
      const char c = text[i];
      if (c == '-' && i > 0 && text[i - 1] == ' ' && At(i + 1) == ' ') {
        out += ',';
        ++i;
      } else if (c == '-' && IsDigit(At(i + 1))) {
        out += "menos ";
        ++i;
      } else if (IsDigit(c)) {
        // Digits right after a word ("10h30") are a word of their own.
        if (!out.empty() && out.back() != ' ') out += ' ';
        ReadNumber();
        out += ' ';
        while ((At(i) == ',' || At(i) == '.') && IsDigit(At(i + 1))) {
          out += At(i) == ',' ? std::string_view("vírgula "_cp) : std::string_view("ponto ");
          ++i;
          ReadNumber();
          out += ' ';
        }
      } else if (IsLetter(c)) {
        ReadWord();
      } else if (text.substr(i, 3) == "...") {
        out += "... ";
        i += 3;
      } else if (c == '.' && Has(i + 1) && !IsBlank(text[i + 1])) {
        out += " ponto ";
        ++i;
      } else if (IsKeptMark(c)) {
        out += c;
        ++i;
      } else if (c == '\t' || c == '\n' || c == '\r') {
        out += ' ';  // a blank, so that the words on either side stay apart
        ++i;
      } else {
        out += ' ';
        out += CharacterName(static_cast<unsigned char>(c));
        out += ' ';
        ++i;
      }
    }
  }
};

}  // namespace

std::string PreprocessText(std::string_view text) {
  if (text.size() == 1) return std::string(CharacterName(static_cast<unsigned char>(text[0])));
  Walker w;
  w.text = text;
  w.Run();
  return std::move(w.out);
}

}  // namespace Sonora
