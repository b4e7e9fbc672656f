// The braille display's keys as console key codes: wheels and rocker keys give Up and Down,
// the dot keys form chords that end as characters, Home, End or control characters.
#pragma once

#include <cstdint>

namespace BrailleKeys {

// Event kinds of the display.
inline constexpr int kKeys = 1;
inline constexpr int kWheels = 3;
// A key value of kKeys that completes the chord gathered so far.
inline constexpr int kChordDone = 3;
// Bits of the chord accumulator beyond the eight dots.
inline constexpr int kHomeKey = 256;
inline constexpr int kEndKey = 512;
inline constexpr int kSpaceKey = 32768;

// What one event gives: a character (-1: none) and/or an extended code (0: none).
struct KeyCode {
  int character = -1;
  int extended = 0;
};

KeyCode BrailleKeyEvent(int kind, int value);
// The character of a chord of dots 1-6 on the display (the keyboard's braille table, with
// dots 3 the full stop and dots 1, 5, 6 the at sign).
uint8_t DisplayChordEntry(int dots);
int Accumulator();
void ResetBrailleKeys();

}  // namespace BrailleKeys
