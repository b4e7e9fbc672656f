// The state of one editing call of the line editor, shared by its files.
#pragma once

#include <cstdint>
#include <string>

namespace LineEditor {

struct Session {
  explicit Session(std::string& field) : text(field) {}

  std::string& text;  // padded with spaces to exactly `maxLength`
  int column = 1;
  int row = 1;
  int width = 0;      // visible width
  int maxLength = 0;
  int cursor = 1;     // 1..maxLength + 1
  int offset = 1;     // first visible character
  int anchor = 0;     // selection anchor and end; 0: none
  int end = 0;
  std::string entry;  // the text on entry, for undo
  bool firstKey = true;
  bool shift = false;
  bool alt = false;
  bool done = false;
  uint8_t exitCode = 0;

  // The character at 1-based position i (a space outside the field).
  char At(int i) const { return i >= 1 && i <= maxLength ? text[static_cast<std::size_t>(i - 1)] : ' '; }
  bool HasSelection() const { return anchor != 0 && end != 0 && anchor != end; }
  void ClearSelection() { anchor = end = 0; }
  void Finish(uint8_t code) {
    done = true;
    exitCode = code;
  }
};

// Editing operations (line_editor_edit.cpp).
void ErrorTone();
void InsertChar(Session& s, uint8_t c);
// Removes the character under the cursor, appends a space, says "_DEL" when asked and then
// the removed character.
void DeleteAtCursor(Session& s, bool sayDel);
void DeleteSelection(Session& s);
void DeleteWord(Session& s);
void BlankToEnd(Session& s);
void RemoveBeforeCursor(Session& s);
void Copy(const Session& s);
void Paste(Session& s);
void ReadNextWord(Session& s);
void PreviousWord(Session& s);
void NextWord(Session& s);
// The field without its trailing spaces.
std::string Trimmed(const std::string& text);

// Key handling (line_editor_keys.cpp).
void HandleExtended(Session& s, uint8_t code);
void HandleCharacter(Session& s, uint8_t key);

}  // namespace LineEditor
