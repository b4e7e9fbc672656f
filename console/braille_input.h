// Six-key braille typing on the ordinary keyboard: chords of F D S J K L and Space become
// characters, with the number and capital signs of mode 2.
#pragma once

#include <cstdint>

namespace BrailleInput {

// 0 off, 1 plain chords, 2 chords with number and capital signs.
int Mode();
// Sets the mode and announces it with its tones (a change to 0 from another mode, and the
// start mode when the window is created).
void SetMode(int mode, bool announce);
// Ctrl+Alt+F11: the next mode, 1 after 2.
void NextMode();

// A key going down: true when the chord took it (the key then gives no code).
bool KeyDown(uint16_t vk, bool ctrl);
// A key going up: the character a completed chord gives, or -1.
int KeyUp(uint16_t vk, bool ctrl);
// The character of a dots value (1..63) in the braille table.
uint8_t TableEntry(int dots);
void ResetBrailleInput();

}  // namespace BrailleInput
