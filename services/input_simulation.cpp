// Key combinations, typed text and clicks built from the single key and button events of
// the platform's input layer, with the pauses the programs receiving them need.
#include "services/input_simulation.h"

#include "platform/input/input.h"
#include "platform/events/messages.h"

namespace InputSimulation {
namespace {

constexpr uint16_t kVkShift = 16, kVkCtrl = 17, kVkAlt = 18, kVkNumLock = 144;

// Sleeps while the event loop runs: the program's own events (and the clipboard it serves)
// are handled meanwhile, as they are while it waits for anything else.
void Pause(int ms) {
  if (ms <= 0) return;
  const int64_t until = Messages::NowMs() + ms;
  for (;;) {
    Messages::PumpMessages();
    const int64_t left = until - Messages::NowMs();
    if (left <= 0) break;
    Messages::WaitMessage(static_cast<int>(left));
  }
}

void Modifiers(uint8_t bits, bool down) {
  if (bits & kShift) Input::VirtualKey(kVkShift, down);
  if (bits & kCtrl) Input::VirtualKey(kVkCtrl, down);
  if (bits & kAlt) Input::VirtualKey(kVkAlt, down);
}

}  // namespace

void SendKey(uint16_t keyCode, int count, bool release) {
  const auto vk = static_cast<uint16_t>(keyCode & 0xFF);
  const auto bits = static_cast<uint8_t>(keyCode >> 8);
  Modifiers(bits, true);
  if (vk == kVkNumLock) {
    Input::ToggleNumLock();
  } else {
    for (int i = 0; i < count; ++i) {
      Input::VirtualKey(vk, true);
      if (release) Input::VirtualKey(vk, false);
    }
  }
  Modifiers(bits, false);
  Input::Settle();
}

void SendKeyCombo(uint16_t vk, bool ctrl, bool shift, bool alt, int delayMs) {
  const uint8_t bits = (shift ? kShift : 0) | (ctrl ? kCtrl : 0) | (alt ? kAlt : 0);
  SendKey(static_cast<uint16_t>(bits << 8 | (vk & 0xFF)), 1, true);
  Pause(delayMs);
}

void PressCharKey(uint8_t c) {
  if (c >= 32 && c <= 127 && Input::PressPlainKey(c)) return;
  TypeChar(c, 1);
}

void TypeChar(uint8_t c, int delayMs) {
  if (c >= 1 && c <= 26) {
    // A control code is Ctrl with its letter: 9 is Ctrl+I, 13 is Ctrl+M.
    SendKeyCombo(static_cast<uint16_t>(c + 64), true, false, false, 0);
  } else if (c < 32) {
    // The other control codes are Ctrl with the key of their symbol (27 is Ctrl+[).
    Input::VirtualKey(kVkCtrl, true);
    Input::PressPlainKey(static_cast<uint8_t>(c + 64));
    Input::VirtualKey(kVkCtrl, false);
  } else if (!Input::TypeCharacter(c)) {
    Input::TypeCharacter(' ');  // a character with no symbol of its own
  }
  Pause(delayMs);
  Input::Settle();
}

void TypeText(std::string_view text, int delayMs) {
  for (char c : text) TypeChar(static_cast<uint8_t>(c), delayMs);
  Input::Settle();
}

void ClickAt(int64_t x, int64_t y) {
  Input::MovePointer(x, y);
  Input::Click(1, 1);
}

void DoubleClickAt(int64_t x, int64_t y) {
  Input::MovePointer(x, y);
  Input::Click(1, 2);
}

void MoveTo(int64_t x, int64_t y) { Input::MovePointer(x, y); }

}  // namespace InputSimulation
