// The screen review's readings: the cells and their classes, fields, reading a word and a
// range of the screen, and searching for a text.
#include <algorithm>
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "ui/screen_review_parts.h"
#include "platform/text/text_kit.h"
#include "speech/speech.h"
#include "speech/speech_state.h"

namespace ScreenReview {
namespace {

constexpr std::string_view kAccented = "\xE0\xE1\xE2\xE3\xE7\xE9\xEA\xED\xF1\xF3\xF4\xF5\xFA\xC0\xC1\xC2\xC3\xC7\xC9\xCA\xCD\xD1\xD3\xD4\xD5\xDA";

bool KeyWaiting() { return Keyboard::ConsoleKeyPressed(); }

void SpeakWord(const std::string& word, bool oneCharacter) {
  if (oneCharacter) {
    Speech::Speak(word);
    return;
  }
  const bool consonantsOnly = std::all_of(word.begin(), word.end(), IsConsonant);
  if (consonantsOnly) Speech::Spell(word);
  else Speech::Speak(word);
}

}  // namespace

char Cell(int row, int column) {
  if (row < 1 || row > Console::kRows || column < 1 || column > Console::kColumns) return ' ';
  const std::string text = Console::RowText(row);
  return column <= static_cast<int>(text.size()) ? text[static_cast<std::size_t>(column - 1)] : ' ';
}

uint8_t Attribute(int row, int column) { return Console::CellAttribute(column, row); }

int AfterLastNonSpace(int row) { return static_cast<int>(Console::RowText(row).size()) + 1; }

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         kAccented.find(c) != std::string_view::npos;
}

bool IsConsonant(char c) {
  constexpr std::string_view kConsonants = "BCDFGHJKLMNPQRSTVWXYZ";
  const char upper = TextKit::AsciiUpper(c);
  return kConsonants.find(upper) != std::string_view::npos;
}

bool IsFieldBoundary(char c) {
  const auto b = static_cast<uint8_t>(c);
  return c == '!' || c == ':' || c == '?' || b == 124 || (b >= 176 && b <= 223);
}

Field FieldAt(int row, int column) {
  const uint8_t attribute = Attribute(row, column);
  auto inField = [&](int col) {
    return col >= 1 && col <= Console::kColumns && Attribute(row, col) == attribute && !IsFieldBoundary(Cell(row, col));
  };
  Field f{column, column};
  while (inField(f.start - 1)) --f.start;
  while (inField(f.end + 1)) ++f.end;
  return f;
}

bool ReadWord(Review& r, int lastColumn) {
  lastColumn = std::min(lastColumn, Console::kColumns);
  while (r.column < lastColumn && Cell(r.row, r.column) == ' ') ++r.column;
  if (r.column > lastColumn || Cell(r.row, r.column) == ' ') return false;
  std::string word(1, Cell(r.row, r.column));
  Console::ConsoleGotoXY(r.column, r.row);
  ++r.column;
  while (r.column <= lastColumn && IsWordChar(Cell(r.row, r.column))) {
    word += Cell(r.row, r.column);
    Console::ConsoleGotoXY(r.column, r.row);
    ++r.column;
  }
  const bool oneCharacter = word.size() == 1;
  if (oneCharacter) {
    // A run of one mark (a line of dashes) is read as at most three of it.
    const char c = word[0];
    while (r.column <= lastColumn && Cell(r.row, r.column) == c) {
      if (word.size() < 3) word += c;
      ++r.column;
    }
  }
  SpeakWord(word, oneCharacter);
  return true;
}

void ReadRange(Review& r, int firstRow, int firstColumn, int lastRow, int lastColumn, bool restore) {
  if (firstRow == lastRow && lastColumn < firstColumn) {
    Speech::PlayBeep();
    return;
  }
  const Review saved = r;
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, Console::kRows);
  bool stopped = false;
  for (int row = firstRow; row <= lastRow && !stopped; ++row) {
    const int from = row == firstRow ? firstColumn : 1;
    const int to = std::min(row == lastRow ? lastColumn : Console::kColumns, Console::kColumns);
    r.row = row;
    r.column = std::max(from, 1);
    if (Speech::St().serverActive) {
      std::string part;
      for (int col = r.column; col <= to; ++col) part += Cell(row, col);
      if (part.find_first_not_of(' ') != std::string::npos) Speech::Speak(part);
      r.column = to + 1;
    } else {
      while (r.column <= to && !KeyWaiting())
        if (!ReadWord(r, to)) break;
    }
    if (KeyWaiting()) stopped = true;
    else if (row < lastRow) Speech::PlayClick();
  }
  if (lastColumn >= Console::kColumns) r.column = AfterLastNonSpace(r.row);
  if (restore) r = saved;
}

void Search(Review& r, const std::string& text) {
  if (!text.empty()) {
    for (int row = std::max(r.row, 1); row <= Console::kRows; ++row) {
      std::string line = Console::RowText(row);
      line.resize(Console::kColumns, ' ');
      const std::size_t from = row == r.row ? static_cast<std::size_t>(std::clamp(r.column, 0, Console::kColumns)) : 0;
      const std::size_t at = line.find(text, from);
      if (at != std::string::npos) {
        r.row = row;
        r.column = static_cast<int>(at) + 1;
        Speech::PlayClick();
        return;
      }
    }
  }
  Speech::PlayBeep();
  Speech::PlayBeep();
}

}  // namespace ScreenReview
