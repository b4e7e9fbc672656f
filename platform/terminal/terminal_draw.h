// The bytes that show the console's screen on an ANSI terminal: cells as UTF-8 in the
// console's exact palette (24-bit colour), the cursor, the title. Pure text building, so
// that it can be checked without a terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/console/console_backend.h"

namespace TerminalDraw {

struct Size {
  int columns = ConsoleDevice::kColumns;
  int rows = ConsoleDevice::kRows;
};

// The UTF-8 text of one cell (a Windows-1252 byte); bytes that would act as controls on a
// terminal show as a space, so that one byte always stays one cell.
std::string_view CellText(uint8_t byte);

// Cells [colBegin, colEnd) of `row`, clipped to the terminal.
void AppendSpan(std::string& out, const ConsoleDevice::ScreenView& view, int row, int colBegin, int colEnd, Size size);
// Every row, and the terminal's area outside the 80x25 cells cleared.
void AppendScreen(std::string& out, const ConsoleDevice::ScreenView& view, Size size);
// The cursor where the console's is (just past column 80 shows on column 80).
void AppendCursor(std::string& out, const ConsoleDevice::ScreenView& view, Size size);
// The title sequence; control bytes in the title are left out.
void AppendTitle(std::string& out, std::string_view title);

// Whether the terminal shows double-width, double-height lines (xterm, VTE terminals,
// konsole), judged from the environment; never inside tmux or screen.
bool EnlargesText();
// How many rows the magnifier's band covers: two enlarged rows when `enlarged` and the zoom
// is 2 or more, else one plain row (never past the last row).
int BandRows(const ConsoleDevice::Band& band, bool enlarged);
// The band over its rows in its colours, the cursor character in the cursor colour.
void AppendBand(std::string& out, const ConsoleDevice::ScreenView& view, const ConsoleDevice::Band& band,
                bool enlarged, Size size);
// Rows [firstRow, firstRow + count) (0-based) back to single size, drawn again from the screen.
void AppendUnband(std::string& out, const ConsoleDevice::ScreenView& view, int firstRow, int count, Size size);

// What the device writes when it takes the terminal and when it gives it back.
std::string_view EnterSequence();
std::string_view LeaveSequence();

}  // namespace TerminalDraw
