// The display's key events turned into key codes: the chord accumulator and its endings.
#include "console/braille_keys.h"

#include "console/braille_input.h"

namespace BrailleKeys {
namespace {

struct State {
  int accumulator = 0;
};

State& S() {
  static State state;
  return state;
}

KeyCode Character(int c) { return {c, 0}; }
KeyCode Extended(int code) { return {-1, code}; }

KeyCode CompleteChord() {
  const int a = S().accumulator;
  S().accumulator = 0;
  if (a == 0) return {};
  if (a == 64) return Character(8);
  if (a == 128) return Character(13);
  if (a == 192) return Character(27);
  if (a == kSpaceKey) return Character(' ');
  if (a & kHomeKey) return Extended(71);
  if (a & kEndKey) return Extended(79);
  if (a & kSpaceKey) return Character(DisplayChordEntry(a & 63) & 31);
  if (a < 64) return Character(DisplayChordEntry(a));
  return {};
}

}  // namespace

uint8_t DisplayChordEntry(int dots) {
  dots &= 63;
  if (dots == 4) return '.';
  if (dots == 49) return '@';
  return BrailleInput::TableEntry(dots);
}

KeyCode BrailleKeyEvent(int kind, int value) {
  if (kind == kWheels) {
    if (value == 16 || value == 64) return Extended(72);
    if (value == 32 || value == 128) return Extended(80);
    return {};
  }
  if (kind != kKeys) return Character('?');
  if (value == 261 || value == 6405) return Extended(72);
  if (value == 2309 || value == 4357) return Extended(80);
  if (value >= 256) {
    S().accumulator |= value >> 8;
    return {};
  }
  if (value == kChordDone) return CompleteChord();
  return {};
}

int Accumulator() { return S().accumulator; }
void ResetBrailleKeys() { S() = State{}; }

}  // namespace BrailleKeys
