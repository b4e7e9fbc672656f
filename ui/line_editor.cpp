// The line editor's frame: entry (padding, undo copy, the no-wait switch), the pass that
// draws the visible part with its selection and reads one key, and the exit that writes the
// field back and trims it.
#include "ui/line_editor.h"

#include <algorithm>

#include "console/console.h"
#include "console/keyboard.h"
#include "ui/line_editor_session.h"
#include "console/magnifier.h"
#include "platform/events/keys.h"
#include "platform/text/text_kit.h"
#include "speech/speech.h"
#include "audio/sound_queue.h"

namespace LineEditor {
namespace {

// Sounds are queued without waiting while the editor runs; the switch is put back however
// the editing ends (the window may close inside a key wait).
struct NoWaitSwitch {
  bool saved = SoundQueue::WaveFlags().asynchronous;
  NoWaitSwitch() { SoundQueue::WaveFlags().asynchronous = true; }
  ~NoWaitSwitch() { SoundQueue::WaveFlags().asynchronous = saved; }
};

// The cells of the visible part that can show on the field's row.
int Showable(const Session& s, int length) { return std::max(0, std::min(length, Console::kColumns + 1 - s.column)); }

void Draw(Session& s) {
  if (s.cursor < s.offset) s.offset = s.cursor;
  if (s.offset + s.width < s.cursor) s.offset = s.cursor - s.width;
  // The band follows the cursor in the whole field, also when the field has scrolled.
  Magnifier::MagnifierShow(s.text, s.cursor);
  const int first = s.offset - 1;
  const int length = std::max(0, std::min(s.width, s.maxLength - first));
  const std::string visible = s.text.substr(static_cast<std::size_t>(std::min(first, s.maxLength)),
                                            static_cast<std::size_t>(length));
  const uint8_t attribute = Console::TextAttribute();
  const int shown = Showable(s, length);
  int lo = 0, hi = 0;  // selected part of the visible part, 0-based [lo, hi)
  if (s.HasSelection()) {
    lo = std::clamp(std::min(s.anchor, s.end) - s.offset, 0, shown);
    hi = std::clamp(std::max(s.anchor, s.end) - s.offset, 0, shown);
  }
  const std::string_view v(visible);
  Console::ConsolePutText(s.column, s.row, v.substr(0, static_cast<std::size_t>(lo)), attribute);
  Console::ConsolePutText(s.column + lo, s.row, v.substr(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo)),
                          static_cast<uint8_t>((attribute & 0x0F) | 0x80));
  Console::ConsolePutText(s.column + hi, s.row, v.substr(static_cast<std::size_t>(hi), static_cast<std::size_t>(shown - hi)),
                          attribute);
  if (length < Console::kColumns && s.column + length <= Console::kColumns)
    Console::ConsolePutText(s.column + length, s.row, std::string(static_cast<std::size_t>(Console::kColumns + 1 - s.column - length), ' '),
                            attribute);
  Console::ConsoleGotoXY(s.column + s.cursor - s.offset, s.row);
}

// One key, with the extended code after a zero byte. Alt+Q, Alt+W and Alt+E come before
// the characters of AltGr: the key after them is the one handled.
void ReadAndHandle(Session& s) {
  uint8_t key = Keyboard::ConsoleReadKey();
  // The shift state is that of this key: the next key may arrive while this one is handled.
  const uint8_t mods = Console::Device().Modifiers();
  Speech::StopSpeech();
  s.shift = mods & Keys::kShift;
  s.alt = mods & Keys::kAlt;
  while (key == 0) {
    const uint8_t code = Keyboard::ConsoleReadKey();
    if (code < 16 || code > 18) {
      St().lastCode = code;
      HandleExtended(s, code);
      return;
    }
    key = Keyboard::ConsoleReadKey();
  }
  if (key < 32) St().lastCode = key;
  HandleCharacter(s, key);
}

void Exit(Session& s, bool stream) {
  Magnifier::MagnifierHide();
  const std::string trimmed = Trimmed(s.text);
  const int length = std::max(0, std::min(s.width, s.maxLength));
  const int written = Showable(s, std::min<int>(length, static_cast<int>(trimmed.size())));
  Console::ConsolePutText(s.column, s.row, std::string_view(s.text).substr(0, static_cast<std::size_t>(Showable(s, length))),
                          Console::TextAttribute());
  if (stream) Console::ConsoleStreamText(std::string_view(trimmed).substr(0, static_cast<std::size_t>(written)));
  Console::ConsoleGotoXY(s.column, s.row);
  s.text = trimmed;
  Speech::StopSpeech();
}

uint8_t Edit(std::string& field, int column, int row, int visibleWidth, int maxLength, bool stream) {
  NoWaitSwitch noWait;
  Session s{field};
  s.maxLength = std::clamp(maxLength, 0, kMaxLength);
  s.width = std::clamp(visibleWidth, 0, s.maxLength);
  // Far outside the screen is as good as just outside it (and keeps the sums in range).
  s.column = std::clamp(column, -kMaxLength, kMaxLength);
  s.row = std::clamp(row, -1, Console::kRows + 1);
  s.entry = field;
  field.resize(static_cast<std::size_t>(s.maxLength), ' ');
  St().lastCode = ' ';
  while (!s.done) {
    Draw(s);
    ReadAndHandle(s);
    s.firstKey = false;
  }
  Exit(s, stream);
  return s.exitCode;
}

}  // namespace

State& St() {
  static State state;
  return state;
}

std::string Trimmed(const std::string& text) { return std::string(TextKit::TrimTrailingSpaces(text)); }

uint8_t EditLine(std::string& field, int column, int row, int visibleWidth, int maxLength) {
  return Edit(field, column, row, visibleWidth, maxLength, true);
}

uint8_t EditLineAtCursor(std::string& field, int column, int row, int maxLength) {
  return EditLine(field, column, row, 79 - column, maxLength);
}

std::string ReadEditedLine() {
  std::string text;
  const int column = Console::ConsoleWhereX();
  const int row = Console::ConsoleWhereY();
  const int width = 79 - column;
  const uint8_t code = Edit(text, column, row, width, 255, false);
  // The part of the text the field showed from its start.
  const int shown = std::max(0, std::min({width, static_cast<int>(text.size()), Console::kColumns + 1 - column}));
  if (code == kEsc) {
    // What was typed is blanked and the cursor stays at the start.
    Console::ConsolePutText(column, row, std::string(static_cast<std::size_t>(shown), ' '), Console::TextAttribute());
    Console::ConsoleGotoXY(column, row);
    text.clear();
  } else {
    Console::ConsoleStreamText(std::string_view(text).substr(0, static_cast<std::size_t>(shown)));
  }
  Console::ConsoleWrite("\r\n");
  return text;
}

void ResetLineEditor() { St() = State{}; }

}  // namespace LineEditor
