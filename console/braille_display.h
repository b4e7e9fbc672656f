// The braille display beside the console: opened when the console is created, shown the
// row the console works on, and its keys put into the key queue.
#pragma once

#include <string>
#include <string_view>

namespace BrailleDisplay {

// Connects to the display (through BRLTTY) when one is there; otherwise the display stays
// off without a word and the console works as before. Called once at console creation.
void BrailleOpen();
// The display is on: connected, with its size known.
bool On();
// The display's name and cell count ("" while off).
std::string Description();
// A console row (its 80 characters; `row` 0-based) transcribed, turned into cells and
// written from the display's first cell.
void BrailleShowLine(std::string_view text, int row);
// Ends the connection (tests).
void ResetBrailleDisplay();

}  // namespace BrailleDisplay
