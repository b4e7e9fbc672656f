// The text walk: leading zeros, digit runs said as numbers or spelled, word runs through
// the diphone voice, repeated marks that turn into clicks, and the punctuation pauses.
#include "speech/text_walk.h"

#include <string>

#include "platform/text/text_kit.h"
#include "speech/diphone_voice.h"
#include "speech/recorded_numbers.h"
#include "speech/speech.h"
#include "speech/speech_state.h"

namespace Speech {
namespace {

constexpr std::size_t kMaxPhrase = 999;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHigh(char c) { return static_cast<uint8_t>(c) >= 128; }
bool IsWordChar(char c) { return c == ' ' || IsLetter(c) || IsHigh(c); }

// A run of digits: spelled when it holds a "-" or has seven or more characters, else
// said as a number.
void SayDigitRun(std::string_view run) {
  if (run.find('-') != std::string_view::npos || run.size() >= 7) {
    Spell(run);
    return;
  }
  SayNumberWords(NumberWords(std::stoll(std::string(run))), false);
}

void SayWordRun(std::string_view run) {
  std::string upper(run.substr(0, kMaxPhrase));
  for (char& c : upper) c = TextKit::BlockUpper(c);
  if (upper == "WWW") Spell(run);
  else SayPhrase(upper);
}

}  // namespace

void WalkText(std::string_view input) {
  State& s = St();
  std::string text(input);
  text += ' ';
  std::string_view rest = text;
  s.stop = false;
  char previous = ' ';
  int repeats = 0;
  while (!s.stop && !rest.empty()) {
    if (KeyWaiting()) {
      StopSpeech();
      return;
    }
    while (!rest.empty() && rest[0] == '0') {
      SpeakWordFile("_zero");
      rest.remove_prefix(1);
    }
    if (rest.empty()) break;
    const char first = rest[0];
    if (IsDigit(first)) {
      std::size_t n = 1;
      while (n < rest.size() && (IsDigit(rest[n]) || rest[n] == '-')) ++n;
      SayDigitRun(rest.substr(0, n));
      rest.remove_prefix(n);
      continue;
    }
    if (IsWordChar(first)) {
      std::size_t n = 1;
      while (n < rest.size() && IsWordChar(rest[n])) ++n;
      SayWordRun(rest.substr(0, n));
      rest.remove_prefix(n);
      // Hyphenated words are said as one phrase.
      if (rest.size() >= 2 && rest[0] == '-' && (IsLetter(rest[1]) || IsHigh(rest[1]))) rest.remove_prefix(1);
      continue;
    }
    char c = first;
    if (c == previous) {
      if (++repeats > 3) {
        PlayClick();
        c = ' ';
      }
    } else {
      previous = c;
      repeats = 0;
    }
    if (c == ' ') {
      // A repeated mark beyond the fourth only clicks.
    } else if (rest[0] == '-') {
      const char next = rest.size() >= 3 ? rest[1] : ' ';
      if (next == ' ' || next == '-') PunctuationPause(rest);
      else if (IsDigit(next)) SpeakWordFile("_MENOS");
      else SpeakChar('-');
    } else if (rest.starts_with("://")) {
      Spell(rest.substr(0, 1));
    } else if (c == '(' || c == ')' || c == ',' || c == '.' || c == ':' || c == ';') {
      PunctuationPause(rest);
    } else if (c == '\t') {
      SpeakWordFile("_FON9");
    } else if (c != '\n' && c != '\r') {
      if (!KeyWaiting()) SpeakChar(static_cast<uint8_t>(c));
    }
    rest.remove_prefix(1);
  }
}

}  // namespace Speech
