// The braille display through BRLTTY's BrlAPI: a connection kept by a thread of its own, so
// that a busy or hung BRLTTY never holds up the program; rows of cells go out latest-first,
// the display's keys come back through the event loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace BrlDsp {

// A key of the display as BRLTTY reports it, in the terms the console needs.
struct Key {
  enum class Kind : uint8_t {
    Chord,      // dot keys: `dots` (bit n-1 for dot n), `space` with the space bar
    Character,  // a character BRLTTY typed (its text table made it from a chord): `character`
    LineUp,
    LineDown,
    Route,      // a routing key: `cell`, 0 for the first cell
    Home,
    End,
    Left,
    Right,
    Enter,
    Backspace,
    Escape,
    Tab,
    Delete,
  };
  Kind kind = Kind::Chord;
  uint8_t dots = 0;
  bool space = false;
  uint8_t character = 0;  // Windows-1252
  int cell = 0;
};

using KeyHandler = void (*)(const Key&);

// Starts the connection thread and tries to connect (BRLAPI_HOST and BRLAPI_AUTH choose the
// server as for every BrlAPI client). Returns at once; keys go to `handler` on the main
// thread, through the event loop. Nothing is ever written to the user on failure.
void Start(KeyHandler handler);
// Whether the thread runs (Start was called and Stop was not).
bool Started();
// Connected to BRLTTY with a display of at least one cell.
bool Connected();
// The display's text cells and the driver's name (0 and "" while not connected).
int CellCount();
std::string DriverName();
// Hands a row of cells to the display: padded with blank cells or cut to its size and written
// from cell 0. A row not yet written is replaced by a newer one. While not connected, a new
// row tries to connect again (at most twice a second).
void Show(std::vector<uint8_t> cells);
// Ends the thread and the connection (tests; the process otherwise keeps it to the end).
void Stop();

}  // namespace BrlDsp
