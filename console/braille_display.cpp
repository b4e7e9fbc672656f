// The console's side of the braille display: rows transcribed and handed to the BrlAPI
// connection, and the display's keys turned into the console's key codes.
#include "console/braille_display.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "console/braille_keys.h"
#include "console/braille_text.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "platform/braille/brldsp.h"
#include "platform/events/messages.h"

namespace BrailleDisplay {
namespace {

struct State {
  int shownRow = -1;          // the console row on the display (0-based)
  std::vector<int> sourceOf;  // for each cell shown, the row's column that made it
};

State& S() {
  static State state;
  return state;
}

void Queue(const uint8_t* bytes, int count) {
  if (Keyboard::QueueBytes(bytes, count)) Messages::Post({Messages::Kind::Wake});
}

void QueueCode(const BrailleKeys::KeyCode& code) {
  if (code.character >= 0) {
    const auto byte = static_cast<uint8_t>(code.character);
    Queue(&byte, 1);
  }
  if (code.extended != 0) {
    const uint8_t bytes[2] = {0, static_cast<uint8_t>(code.extended)};
    Queue(bytes, 2);
  }
}

// A chord as the display reports it: its keys, then the release that completes it.
void Chord(int accumulator) {
  QueueCode(BrailleKeys::BrailleKeyEvent(BrailleKeys::kKeys, accumulator << 8));
  QueueCode(BrailleKeys::BrailleKeyEvent(BrailleKeys::kKeys, BrailleKeys::kChordDone));
}

void Plain(uint8_t character) { QueueCode({character, 0}); }
void Extended(int code) { QueueCode({-1, code}); }

// A routing key over the cursor's row: the cursor walks to the cell's column with Left and
// Right, as far as the key queue holds.
void Route(int cell) {
  State& s = S();
  if (s.shownRow != Console::ConsoleWhereY() - 1 || cell < 0) return;
  int column = cell < static_cast<int>(s.sourceOf.size()) ? s.sourceOf[static_cast<std::size_t>(cell)]
                                                         : Console::kColumns - 1;
  column = std::clamp(column, 0, Console::kColumns - 1);
  const int from = std::min(Console::ConsoleWhereX() - 1, Console::kColumns - 1);
  if (column == 0 && from != 0) return Extended(71);
  const int code = column > from ? 77 : 75;
  for (int steps = std::abs(column - from); steps > 0; --steps) {
    const uint8_t bytes[2] = {0, static_cast<uint8_t>(code)};
    if (!Keyboard::QueueBytes(bytes, 2)) break;
  }
  Messages::Post({Messages::Kind::Wake});
}

void OnKey(const BrlDsp::Key& key) {
  using Kind = BrlDsp::Key::Kind;
  switch (key.kind) {
    case Kind::Chord:
      if (key.dots == 0 && !key.space) return Chord(BrailleKeys::kSpaceKey);
      return Chord(key.dots | (key.space ? BrailleKeys::kSpaceKey : 0));
    case Kind::Character: return Plain(key.character);
    case Kind::LineUp: return QueueCode(BrailleKeys::BrailleKeyEvent(BrailleKeys::kWheels, 16));
    case Kind::LineDown: return QueueCode(BrailleKeys::BrailleKeyEvent(BrailleKeys::kWheels, 32));
    case Kind::Home: return Chord(BrailleKeys::kHomeKey);
    case Kind::End: return Chord(BrailleKeys::kEndKey);
    case Kind::Route: return Route(key.cell);
    case Kind::Left: return Extended(75);
    case Kind::Right: return Extended(77);
    case Kind::Delete: return Extended(83);
    case Kind::Enter: return Plain(13);
    case Kind::Backspace: return Plain(8);
    case Kind::Escape: return Plain(27);
    case Kind::Tab: return Plain(9);
  }
}

}  // namespace

void BrailleOpen() { BrlDsp::Start(OnKey); }

bool On() { return BrlDsp::Connected(); }

std::string Description() {
  if (!On()) return {};
  return BrlDsp::DriverName() + " " + std::to_string(BrlDsp::CellCount());
}

void BrailleShowLine(std::string_view text, int row) {
  if (!BrlDsp::Started()) return;
  State& s = S();
  const std::string braille = BrailleText::BrailleTranscribe(text, &s.sourceOf);
  s.shownRow = row;
  BrlDsp::Show(BrailleText::Cells(braille));
}

void ResetBrailleDisplay() {
  BrlDsp::Stop();
  S() = State{};
}

}  // namespace BrailleDisplay
