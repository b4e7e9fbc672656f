// Portuguese computer braille for the display: a console row transcribed into the braille
// alphabet (numbers, capitals, ordinals, signs) and that text turned into display cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace BrailleText {

// The row as braille-alphabet text (Windows-1252 bytes, one per cell). When `sourceOf` is
// given it receives, for every output character, the index of the row character that
// produced it (routing keys find the column of a cell with it).
std::string BrailleTranscribe(std::string_view text, std::vector<int>* sourceOf = nullptr);
// The dots of one character of the braille alphabet: bit n-1 set for dot n; 0 (blank) for
// characters that have no cell.
uint8_t CellOf(uint8_t character);
// The cells of a braille-alphabet text.
std::vector<uint8_t> Cells(std::string_view braille);
// A text parenthesis or bracket is open: the flag outlives one transcription.
bool ParenthesisOpen();
void ResetBrailleText();

}  // namespace BrailleText
