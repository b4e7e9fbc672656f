// Keyboard and mouse simulation for the automation commands: key combinations by Windows
// virtual-key code, characters typed as themselves, clicks and pointer moves at screen
// points. The events go to whatever program has the focus; without a display they go
// nowhere and nothing fails.
#pragma once

#include <cstdint>
#include <string_view>

namespace InputSimulation {

// Modifier bits of a key code's high byte.
inline constexpr uint8_t kShift = 1, kCtrl = 2, kAlt = 4;

// Presses the modifiers (Shift, Ctrl, Alt), presses (and releases when `release`) the key
// `count` times, releases the modifiers. Virtual key 144 flips Num Lock instead.
void SendKey(uint16_t keyCode, int count, bool release);
// SendKey of `vk` with those modifiers, once, released; then sleeps `delayMs`.
void SendKeyCombo(uint16_t vk, bool ctrl, bool shift, bool alt, int delayMs);
// Presses and releases the key of character `c` without its modifiers.
void PressCharKey(uint8_t c);
// Types character `c` (a control code as Ctrl plus its letter), then sleeps `delayMs`.
void TypeChar(uint8_t c, int delayMs);
void TypeText(std::string_view text, int delayMs);
// Pointer moves and left clicks at screen points.
void ClickAt(int64_t x, int64_t y);
void DoubleClickAt(int64_t x, int64_t y);
void MoveTo(int64_t x, int64_t y);

}  // namespace InputSimulation
