// Braille chords: dots gathered while keys are held, the character given when the last
// chord key is released, and the sign rules of mode 2.
#include "console/braille_input.h"

#include "console/console.h"
#include "platform/events/keys.h"

namespace BrailleInput {
namespace {

// Windows-1252 code for each dots value (dot n has the value 2^(n-1)).
constexpr uint8_t kTable[64] = {
    32,  97,  44,  98,  39,  107, 59,  108,  // dots 4-6 = 0
    94,  99,  105, 102, 237, 109, 115, 112,  // 8
    126, 101, 58,  104, 42,  111, 33,  114,  // 16
    172, 100, 106, 103, 227, 110, 116, 113,  // 24
    253, 226, 63,  234, 45,  117, 34,  118,  // 32
    123, 238, 245, 224, 243, 120, 232, 231,  // 40
    36,  251, 255, 252, 125, 122, 61,  225,  // 48
    95,  244, 119, 239, 35,  121, 250, 233,  // 56
};

constexpr uint8_t kNoCharacter = 254;
constexpr int kSpace = 64;

struct State {
  int mode = 0;
  int dots = 0;
  int held = 0;
  bool capitalPending = false;
  bool capitalsLocked = false;
  bool numberMode = false;
};

State& S() {
  static State state;
  return state;
}

int ChordValue(uint16_t vk) {
  switch (vk) {
    case 'F': return 1;
    case 'D': return 2;
    case 'S': return 4;
    case 'J': return 8;
    case 'K': return 16;
    case 'L': return 32;
    case Keys::VK_SPACE: return kSpace;
    default: return 0;
  }
}

void ClearSigns() {
  State& s = S();
  s.capitalPending = s.capitalsLocked = s.numberMode = false;
}

void Tone(int hz) {
  Console::ConsoleSound(hz);
  Console::ConsoleDelay(200);
  Console::ConsoleNoSound();
}

// The signs of mode 2 applied to a chord's character; kNoCharacter when it only sets a sign.
uint8_t ApplySigns(uint8_t c) {
  State& s = S();
  if (c == 39) c = 46;
  else if (c == 251) c = 64;
  if (s.numberMode) {
    if (c >= 'a' && c <= 'i') c = static_cast<uint8_t>('1' + (c - 'a'));
    else if (c == 'j') c = '0';
    else if (c == 126) s.numberMode = false;
  }
  if ((s.capitalPending || s.capitalsLocked) && c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 32);
  if (c == 35) {
    s.numberMode = true;
    return kNoCharacter;
  }
  if (c == 123) {
    if (s.capitalPending) s.capitalsLocked = true;
    s.capitalPending = true;
    return kNoCharacter;
  }
  s.capitalPending = false;
  return c;
}

}  // namespace

int Mode() { return S().mode; }

void SetMode(int mode, bool announce) {
  State& s = S();
  const int before = s.mode;
  s.mode = mode;
  if (mode == 0) {
    s.dots = s.held = 0;
    ClearSigns();
  }
  if (!announce) return;
  if (mode == 1) {
    Tone(800);
    Tone(1600);
  } else if (mode == 2) {
    Tone(800);
    Tone(400);
  } else if (before != 0) {
    Tone(100);
  }
}

void NextMode() {
  const int next = S().mode + 1;
  SetMode(next > 2 ? 1 : next, true);
}

bool KeyDown(uint16_t vk, bool ctrl) {
  State& s = S();
  if (s.mode == 0 || ctrl) return false;
  const int value = ChordValue(vk);
  if (value == 0) return false;
  s.dots |= value;
  s.held |= value;
  return true;
}

int KeyUp(uint16_t vk, bool ctrl) {
  State& s = S();
  if (s.mode == 0) return -1;
  const bool letter = vk >= 'A' && vk <= 'Z';
  if (ctrl || (!letter && vk != Keys::VK_SPACE)) {
    ClearSigns();
    return -1;
  }
  s.held &= ~ChordValue(vk);
  // A release with no chord gathered (a letter that is no chord key) gives nothing.
  if (s.held != 0 || s.dots == 0) return -1;
  const int dots = s.dots;
  s.dots = 0;
  uint8_t c;
  if (dots < kSpace) {
    c = kTable[dots];
    if (s.mode == 2) c = ApplySigns(c);
  } else {
    c = dots == kSpace ? 32 : static_cast<uint8_t>(kTable[dots - kSpace] & 31);
    ClearSigns();
  }
  return c == kNoCharacter ? -1 : c;
}

uint8_t TableEntry(int dots) { return kTable[dots & 63]; }

void ResetBrailleInput() { S() = State{}; }

}  // namespace BrailleInput
