// The screen review's loop and keys: moving the review position, the two-letter read
// commands, search and jump, the copy of the screen, and the position's corrections.
#include "ui/screen_review.h"

#include <algorithm>
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "console/magnifier.h"
#include "ui/screen_review_parts.h"
#include "platform/events/keys.h"
#include "platform/text/text_kit.h"
#include "speech/speech.h"
#include "speech/speech_state.h"

namespace ScreenReview {
namespace {

void ErrorTone() { Speech::PlayBeep(); }

// The error tone, a tick and the error tone: a key the review has no use for.
void Refuse() {
  ErrorTone();
  Speech::PlayClick();
  ErrorTone();
}

void ShowOnBand(const Review& r) {
  const std::string row = Console::RowText(r.row);
  const std::size_t lead = std::min(row.find_first_not_of(' '), row.size());
  const int index = r.column <= static_cast<int>(lead) ? 1 : r.column - static_cast<int>(lead);
  Magnifier::MagnifierShow(std::string_view(row).substr(lead), index);
}

void ReadRow(Review& r) {
  if (r.row >= 1 && r.row <= Console::kRows) ReadRange(r, r.row, 1, r.row, Console::kColumns, true);
}

// Reads a key; an extended key comes back as 0 with its code in `code`.
uint8_t ReadKey(uint8_t& code, bool& shift) {
  const uint8_t key = Keyboard::ConsoleReadKey();
  shift = Console::Device().Modifiers() & Keys::kShift;
  Speech::StopSpeech();
  code = key == 0 ? Keyboard::ConsoleReadKey() : 0;
  return key;
}

void CopyScreen() {
  std::string screen;
  for (int row = 1; row <= Console::kRows; ++row) {
    std::string line = Console::RowText(row);
    line.resize(Console::kColumns, ' ');
    screen += line + "\r\n";
  }
  Console::ConsoleCopyText(screen);
}

void AskAndSearch(Review& r) {
  Speech::Speak("Qual texto");
  std::string text;
  for (;;) {
    uint8_t code;
    bool shift;
    const uint8_t key = ReadKey(code, shift);
    if (key == 0) continue;  // extended keys type nothing
    if (key == 27) return;
    if (key == 13) break;
    if (key == 8) {
      if (!text.empty()) {
        const auto c = static_cast<uint8_t>(text.back());
        text.pop_back();
        Speech::SpeakWordFile("_DEL");
        Speech::SpeakChar(c);
      }
    } else if (key >= 32) {
      text.push_back(static_cast<char>(key));
      Speech::SpeakChar(key);
    }
  }
  St().searchText = text;
  Search(r, text);
}

void JumpToRowAndColumn(Review& r) {
  Speech::Speak("Entre linha e coluna");
  int digits[4];
  for (int& d : digits) {
    uint8_t code;
    bool shift;
    const uint8_t key = ReadKey(code, shift);
    if (key < '0' || key > '9') {
      ErrorTone();
      ErrorTone();
      return;
    }
    Speech::SpeakChar(key);
    d = key - '0';
  }
  r.row = digits[0] * 10 + digits[1];
  r.column = digits[2] * 10 + digits[3];
}

void TwoLetterCommand(Review& r, uint8_t first) {
  char where = TextKit::AsciiUpper(static_cast<char>(first));
  if (where == 'L') where = 'T';
  if (where != 'I' && where != 'T' && where != 'F') return Refuse();
  uint8_t code;
  bool shift;
  const uint8_t second = ReadKey(code, shift);
  const char unit = TextKit::AsciiUpper(static_cast<char>(second));
  const int row = r.row, col = r.column;
  const int last = Console::kColumns, lastRow = Console::kRows;
  if (unit == 'T') {
    if (where == 'I') ReadRange(r, 1, 1, row, col - 1, false);
    else if (where == 'T') ReadRange(r, 1, 1, lastRow, last, false);
    else ReadRange(r, row, col, lastRow, last, false);
  } else if (unit == 'L') {
    if (where == 'I') ReadRange(r, row, 1, row, col - 1, true);
    else if (where == 'T') ReadRange(r, row, 1, row, last, true);
    else ReadRange(r, row, col, row, last, true);
  } else if (unit == 'C') {
    const Field f = FieldAt(row, col);
    if (where == 'I') ReadRange(r, row, f.start, row, col, true);
    else if (where == 'T') ReadRange(r, row, f.start, row, f.end, true);
    else ReadRange(r, row, col, row, f.end, true);
  } else {
    Refuse();
  }
}

// The first (or last) letter A-Z of the screen, and its row read.
void JumpToLetter(Review& r, bool last) {
  for (int k = 0; k < Console::kRows * Console::kColumns; ++k) {
    const int cell = last ? Console::kRows * Console::kColumns - 1 - k : k;
    const int row = cell / Console::kColumns + 1, col = cell % Console::kColumns + 1;
    const char c = Cell(row, col);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      r.row = row;
      r.column = col;
      ReadRow(r);
      return;
    }
  }
  ErrorTone();
}

bool IsWordStart(int row, int col) { return IsWordChar(Cell(row, col)) && (col == 1 || !IsWordChar(Cell(row, col - 1))); }

void HandleExtended(Review& r, uint8_t code) {
  switch (code) {
    case Keyboard::kExtLeft:
      if (r.column <= 1) {
        ErrorTone();
      } else {
        r.column = std::min(r.column - 1, Console::kColumns);
        Speech::SpeakChar(static_cast<uint8_t>(Cell(r.row, r.column)));
      }
      break;
    case Keyboard::kExtRight:
      Speech::SpeakChar(static_cast<uint8_t>(Cell(r.row, r.column)));
      ++r.column;
      break;
    case Keyboard::kExtHome: r.column = 1; break;
    case Keyboard::kExtEnd: r.column = AfterLastNonSpace(r.row); break;
    case Keyboard::kExtUp:
      --r.row;
      r.column = 1;
      ReadRow(r);
      break;
    case Keyboard::kExtDown:
      Speech::PlayClick();
      ++r.row;
      r.column = 1;
      ReadRow(r);
      break;
    case Keyboard::kExtPageUp:
      r.row = 1;
      r.column = 1;
      ReadRow(r);
      break;
    case Keyboard::kExtPageDown:
      r.row = Console::kRows;
      r.column = 1;
      ReadRow(r);
      break;
    case Keyboard::kExtCtrlPageUp: JumpToLetter(r, false); break;
    case Keyboard::kExtCtrlPageDown: JumpToLetter(r, true); break;
    case Keyboard::kExtCtrlLeft: {
      int col = std::min(r.column, Console::kColumns + 1) - 1;
      while (col >= 1 && !IsWordStart(r.row, col)) --col;
      if (col < 1) {
        ErrorTone();
      } else {
        r.column = col;
        Speech::PlayClick();
      }
      break;
    }
    case Keyboard::kExtCtrlRight: {
      int col = r.column + 1;
      while (col <= Console::kColumns && !IsWordStart(r.row, col)) ++col;
      if (col > Console::kColumns) {
        ErrorTone();
        r.column = AfterLastNonSpace(r.row);
      } else {
        r.column = col;
        Speech::PlayClick();
      }
      break;
    }
    case Keyboard::kExtF1:
      if (r.column > 79) {
        Speech::PlayClick();
        r.column = AfterLastNonSpace(r.row);
      } else if (!(Speech::St().serverActive && Keyboard::ConsoleKeyPressed())) {
        ReadWord(r, Console::kColumns);
      }
      break;
    case Keyboard::kExtCtrlF1: {
      const Field f = FieldAt(r.row, r.column);
      ReadRange(r, r.row, f.start, r.row, f.end, true);
      break;
    }
    case Keyboard::kExtF5: AskAndSearch(r); break;
    case Keyboard::kExtCtrlF5: Search(r, St().searchText); break;
    case Keyboard::kExtF6: JumpToRowAndColumn(r); break;
    default: Refuse(); break;
  }
}

void HandleCharacter(Review& r, uint8_t key, bool shift) {
  switch (key) {
    case Keyboard::kBackspace:  // Backspace as Left
      HandleExtended(r, Keyboard::kExtLeft);
      break;
    case Keyboard::kTab: {  // Tab, Shift+Tab: the next or the previous field
      const Field f = FieldAt(r.row, r.column);
      if (shift) {
        r.column = f.start - 2;
        Speech::PlayClick();
      } else if (f.end + 2 > Console::kColumns) {
        r.column = AfterLastNonSpace(r.row);
      } else {
        r.column = f.end + 2;
        Speech::PlayClick();
      }
      break;
    }
    case Keyboard::kEnter:
      Speech::PlayClick();
      ++r.row;
      r.column = 1;
      break;
    case ' ': ReadRow(r); break;
    case Keyboard::kCtrlK:
    case Keyboard::kCtrlL: Speech::Speak(std::to_string(r.row) + " " + std::to_string(r.column)); break;
    case Keyboard::kCtrlC: CopyScreen(); break;
    case Keyboard::kEsc: r.done = true; break;
    default:
      if ((key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z')) TwoLetterCommand(r, key);
      break;
  }
}

// The position back on the screen, with the error tone for each correction.
void Correct(Review& r) {
  if (r.column < 1) {
    r.column = 1;
    ErrorTone();
  }
  if (r.column > Console::kColumns + 1) {
    r.column = Console::kColumns;
    ErrorTone();
  }
  if (r.row < 1) {
    r.row = 1;
    ErrorTone();
  }
  if (r.row > Console::kRows) {
    r.row = Console::kRows;
    ErrorTone();
  }
}

}  // namespace

State& St() {
  static State state;
  return state;
}

void ScreenReview() {
  ErrorTone();
  const int savedColumn = Console::ConsoleWhereX();
  const int savedRow = Console::ConsoleWhereY();
  Review r{savedRow, savedColumn};
  while (!r.done) {
    Console::ConsoleGotoXY(r.column, r.row);
    ShowOnBand(r);
    uint8_t code;
    bool shift;
    const uint8_t key = ReadKey(code, shift);
    if (key == 0) HandleExtended(r, code);
    else HandleCharacter(r, key, shift);
    if (!r.done) Correct(r);
  }
  ErrorTone();
  ErrorTone();
  Magnifier::MagnifierHide();
  Console::ConsoleGotoXY(savedColumn, savedRow);
}

void ResetScreenReview() { St() = State{}; }

}  // namespace ScreenReview
