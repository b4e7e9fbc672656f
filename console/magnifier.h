// The low-vision magnifier: an enlarged band over the console's top row showing the text
// being worked on (the edited field, the reviewed row, the current menu item) in colours of
// its own, with the character just before the cursor in a third colour.
#pragma once

#include <string>
#include <string_view>

#include "platform/console/console_backend.h"

namespace Magnifier {

struct State {
  int zoom = 0;  // 1..10; 0: off
  int bandRow = 1;
  int textColour = 14;
  int backgroundColour = 6;
  int cursorColour = 3;
  int offset = 1;  // index of the first text character shown; kept between calls
  bool shown = false;
};

State& St();

void MagnifierSetColours(int text, int background, int cursor);
// Zoom 0 turns the magnifier off; otherwise it is on with that zoom on `bandRow`, and the
// band starts again from the text's first character.
void MagnifierStart(int bandRow, int zoom);
// Shows `text` with the cursor at `index` (1-based) on the band; nothing when off.
void MagnifierShow(std::string_view text, int index);
// Removes the band: the rows under it are shown again from the screen.
void MagnifierHide();

// The band MagnifierShow draws for `text` and `index` with `zoom`, moving `offset` as the
// band scrolls (the part of the work that needs no device).
ConsoleDevice::Band MakeBand(std::string_view text, int index, int zoom, int& offset);

void ResetMagnifier();

}  // namespace Magnifier
