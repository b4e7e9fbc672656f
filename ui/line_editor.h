// The spoken line editor: one line of text typed or changed in the console with every
// character, word and deletion voiced, selection, clipboard and undo, and the key that ended
// the editing handed back to the caller.
#pragma once

#include <cstdint>
#include <string>

#include "console/keyboard.h"

namespace LineEditor {

inline constexpr int kMaxLength = 2048;

// Exit codes that are control keys; an extended key that ends editing gives its own code.
inline constexpr uint8_t kCtrlB = Keyboard::kCtrlB, kTab = Keyboard::kTab, kCtrlEnter = Keyboard::kCtrlEnter,
                         kEnter = Keyboard::kEnter, kEsc = Keyboard::kEsc;
inline constexpr uint8_t kAltF1 = Keyboard::kExtCtrlF11;

struct State {
  bool echo = true;          // typed characters are spoken
  bool clearOnType = true;   // a first printable key replaces the proposed text
  uint8_t lastCode = ' ';    // the last extended or control key read
};

State& St();

// Edits `field` at (column, row), 1-based, showing `visibleWidth` characters of at most
// `maxLength` (cut to 2048); returns the code of the key that ended the editing.
uint8_t EditLine(std::string& field, int column, int row, int visibleWidth, int maxLength);
// EditLine with the visible width 79 - column.
uint8_t EditLineAtCursor(std::string& field, int column, int row, int maxLength);
// A new line of up to 255 characters typed at the cursor; Esc gives the empty text and
// blanks what was typed. A line end is written after it.
std::string ReadEditedLine();

void ResetLineEditor();

}  // namespace LineEditor
