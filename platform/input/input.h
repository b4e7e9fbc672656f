// Synthesized keyboard and mouse input for other programs on the desktop, in the terms the
// runtime's commands use (Windows virtual-key codes, Windows-1252 characters, screen
// pixels). On Linux this is the XTest extension of the X display; with no display every
// operation does nothing and reports false.
#pragma once

#include <cstdint>

namespace Input {

// True when a display with the XTest extension answers.
bool Available();

// One key event of a Windows virtual-key code (Shift 16, Ctrl 17, Alt 18, Enter 13, F1 112,
// letters and digits by their upper-case code ...). A key the layout lacks is bound to a
// spare key code while it is down and unbound on its release.
bool VirtualKey(uint16_t vk, bool down);
// Flips Num Lock (virtual key 144) without a key event.
bool ToggleNumLock();
// The key that types character `c` on the current layout, pressed and released without any
// modifier (the letter "A" presses the A key alone). False when no key of the layout types it.
bool PressPlainKey(uint8_t c);
// Types one Windows-1252 character as its own symbol: through the layout's key (with Shift
// when that is how the layout reaches it), else through a spare key code bound to the
// symbol for the moment of the press. False when the character has no symbol.
bool TypeCharacter(uint8_t c);

// The pointer moved to a screen point (clamped to the screen); buttons: 1 left.
bool MovePointer(int64_t x, int64_t y);
// `count` presses and releases of a button, sent as one batch so that a busy machine never
// spreads a double click over more than the desktop's double-click time.
bool Click(int button, int count);
// The pointer's screen position; false (and 0, 0) without a display.
bool PointerPosition(int& x, int& y);

// Unbinds the spare key codes bound for typing, once the programs had time to read the keys
// typed with them; nothing while a key is held. Every typing operation ends with it.
void Settle();

// Releases every key this module holds down and unbinds the spare key codes it bound; then
// forgets the display (tests, and the end of a command that was cut short).
void ResetInput();

}  // namespace Input
