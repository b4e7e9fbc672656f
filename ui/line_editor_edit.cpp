// The line editor's changes to the field and its readings: inserting and deleting with
// their sounds, word moves, reading the next word, selection, copy and paste.
#include <algorithm>
#include <string>

#include "console/console.h"
#include "ui/line_editor.h"
#include "ui/line_editor_session.h"
#include "speech/speech.h"

namespace LineEditor {
namespace {

constexpr std::string_view kConsonants = "BCDFGHJKLMNPQRSTVXZbcdfghjklmnpqrstvxz";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) {
  const auto b = static_cast<uint8_t>(c);
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 128;
}

// A start of word: a non-space after a space or at the field's start.
bool WordStart(const Session& s, int i) { return s.At(i) != ' ' && (i == 1 || s.At(i - 1) == ' '); }

}  // namespace

void ErrorTone() { Speech::PlayBeep(); }

void InsertChar(Session& s, uint8_t c) {
  if (s.cursor > s.maxLength) {
    ErrorTone();
    return;
  }
  s.text.insert(static_cast<std::size_t>(s.cursor - 1), 1, static_cast<char>(c));
  s.text.pop_back();
  if (St().echo) Speech::SpeakChar(c);
  ++s.cursor;
}

void DeleteAtCursor(Session& s, bool sayDel) {
  if (s.cursor > s.maxLength) {
    ErrorTone();
    return;
  }
  const auto removed = static_cast<uint8_t>(s.At(s.cursor));
  s.text.erase(static_cast<std::size_t>(s.cursor - 1), 1);
  s.text.push_back(' ');
  if (sayDel) Speech::SpeakWordFile("_DEL");
  Speech::SpeakChar(removed);
}

void DeleteSelection(Session& s) {
  const int from = std::min(s.anchor, s.end);
  const int to = std::min(std::max(s.anchor, s.end), s.maxLength + 1);
  s.cursor = from;
  Speech::SpeakWordFile("_DEL");
  for (int i = from; i < to; ++i) DeleteAtCursor(s, false);
  s.anchor = s.end = from;
}

void DeleteWord(Session& s) {
  const bool onWord = s.cursor <= s.maxLength && s.At(s.cursor) != ' ';
  const bool afterWord = s.cursor > 1 && s.At(s.cursor - 1) != ' ';
  if (!onWord && !afterWord) {
    ErrorTone();
    return;
  }
  int start = s.cursor;
  while (start > 1 && s.At(start - 1) != ' ') --start;
  if (start != s.cursor) {
    s.cursor = start;
    Speech::PlayClick();
  }
  int stop = start;
  while (stop <= s.maxLength && s.At(stop) != ' ') ++stop;
  const int wordEnd = stop;
  while (stop <= s.maxLength && s.At(stop) == ' ') ++stop;
  // The spaces after the last word are only the field's padding: they stay unspoken.
  if (stop > s.maxLength) stop = wordEnd;
  for (int i = start; i < stop; ++i) DeleteAtCursor(s, i == start);
}

void BlankToEnd(Session& s) {
  for (int i = s.cursor; i <= s.maxLength; ++i) s.text[static_cast<std::size_t>(i - 1)] = ' ';
  Speech::SpeakWordFile("_APFCPO");
}

void RemoveBeforeCursor(Session& s) {
  const std::size_t cut = static_cast<std::size_t>(std::min(s.cursor - 1, s.maxLength));
  s.text = s.text.substr(cut) + std::string(cut, ' ');
  s.cursor = 1;
  Speech::SpeakWordFile("_APICPO");
}

void Copy(const Session& s) {
  if (s.HasSelection()) {
    const int from = std::min(s.anchor, s.end);
    const int to = std::min(std::max(s.anchor, s.end), s.maxLength + 1);
    Console::ConsoleCopyText(std::string_view(s.text).substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from)));
  } else {
    Console::ConsoleCopyText(Trimmed(s.text) + "\r\n");
  }
}

void Paste(Session& s) {
  std::string pasted = Console::ConsolePasteText(static_cast<std::size_t>(s.maxLength) + 1);
  // One line of it; other control bytes would be invisible in the field, they become blanks.
  pasted = pasted.substr(0, pasted.find_first_of(std::string_view("\r\n\0", 3)));
  for (char& c : pasted)
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  if (s.firstKey && St().clearOnType) {
    Speech::PlayClick();
    Speech::PlayClick();
    s.text.assign(static_cast<std::size_t>(s.maxLength), ' ');
  }
  if (s.anchor != 0) {
    if (s.end == 0) s.end = s.anchor;
  } else {
    s.anchor = s.end = s.cursor;
  }
  const int from = std::min(s.anchor, s.end);
  const int to = std::min(std::max(s.anchor, s.end), s.maxLength + 1);
  s.text = s.text.substr(0, static_cast<std::size_t>(from - 1)) + pasted + s.text.substr(static_cast<std::size_t>(to - 1));
  s.text.resize(static_cast<std::size_t>(s.maxLength), ' ');
  s.cursor = from;
  s.anchor = from;
  s.end = std::min(from + static_cast<int>(pasted.size()), s.maxLength + 1);
}

void ReadNextWord(Session& s) {
  int i = s.cursor;
  while (i <= s.maxLength && s.At(i) == ' ') ++i;
  if (i > s.maxLength) {
    ErrorTone();
    return;
  }
  const char first = s.At(i);
  int stop = i + 1;
  if (IsDigit(first) || (first == '-' && IsDigit(s.At(i + 1)))) {
    while (stop <= s.maxLength && IsDigit(s.At(stop))) ++stop;
    Speech::Speak(s.text.substr(static_cast<std::size_t>(i - 1), static_cast<std::size_t>(stop - i)));
  } else if (IsLetter(first)) {
    while (stop <= s.maxLength && IsLetter(s.At(stop))) ++stop;
    const std::string word = s.text.substr(static_cast<std::size_t>(i - 1), static_cast<std::size_t>(stop - i));
    // A word of consonants only is an abbreviation: it is spelled.
    if (word.find_first_not_of(kConsonants) != std::string::npos) Speech::Speak(word);
    else Speech::Spell(word);
  } else {
    Speech::Spell(std::string(1, first));
  }
  s.cursor = stop;
}

void PreviousWord(Session& s) {
  int i = s.cursor - 1;
  while (i >= 1 && !WordStart(s, i)) --i;
  if (i < 1) {
    ErrorTone();
    return;
  }
  s.cursor = i;
  Speech::PlayClick();
}

void NextWord(Session& s) {
  int i = s.cursor + 1;
  while (i <= s.maxLength && !WordStart(s, i)) ++i;
  if (i > s.maxLength) {
    ErrorTone();
    return;
  }
  s.cursor = i;
  Speech::PlayClick();
}

}  // namespace LineEditor
