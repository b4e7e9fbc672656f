// Builds the escape sequences and UTF-8 text that paint the console on a terminal.
#include "platform/terminal/terminal_draw.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "platform/text/cp1252.h"

namespace TerminalDraw {
namespace {

using ConsoleDevice::kColumns;
using ConsoleDevice::kRows;

struct CellTable {
  std::array<std::string, 256> text;
  CellTable() {
    for (int b = 0; b < 256; ++b) {
      const char32_t cp = Cp1252::ToUnicode(static_cast<uint8_t>(b));
      // C0, DEL and the C1 controls that Windows-1252 leaves undefined (U+009D is OSC).
      const bool control = cp < 32 || (cp >= 0x7F && cp <= 0x9F);
      const char byte = static_cast<char>(b);
      text[static_cast<std::size_t>(b)] = control ? std::string(" ") : Cp1252::ToUtf8(std::string_view(&byte, 1));
    }
  }
};

void AppendNumber(std::string& out, int n) {
  char buf[12];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, end);
}

void AppendRgb(std::string& out, ConsoleDevice::Rgb c) {
  AppendNumber(out, c.r);
  out += ';';
  AppendNumber(out, c.g);
  out += ';';
  AppendNumber(out, c.b);
}

void AppendAttribute(std::string& out, const uint8_t* remap, uint8_t attribute) {
  out += "\x1b[38;2;";
  AppendRgb(out, ConsoleDevice::PaletteColour(remap, attribute & 15));
  out += ";48;2;";
  AppendRgb(out, ConsoleDevice::PaletteColour(remap, attribute >> 4));
  out += 'm';
}

void AppendMove(std::string& out, int row, int column) {
  out += "\x1b[";
  AppendNumber(out, row + 1);
  out += ';';
  AppendNumber(out, column + 1);
  out += 'H';
}

}  // namespace

std::string_view CellText(uint8_t byte) {
  static const CellTable table;
  return table.text[byte];
}

void AppendSpan(std::string& out, const ConsoleDevice::ScreenView& view, int row, int colBegin, int colEnd, Size size) {
  if (!view.chars || !view.attrs || row < 0 || row >= std::min(kRows, size.rows)) return;
  colBegin = std::max(colBegin, 0);
  colEnd = std::min({colEnd, kColumns, size.columns});
  if (colBegin >= colEnd) return;
  AppendMove(out, row, colBegin);
  int current = -1;  // the colours the terminal draws with now are unknown
  for (int col = colBegin; col < colEnd; ++col) {
    const int cell = row * kColumns + col;
    if (view.attrs[cell] != current) {
      current = view.attrs[cell];
      AppendAttribute(out, view.remap, view.attrs[cell]);
    }
    out += CellText(view.chars[cell]);
  }
}

void AppendScreen(std::string& out, const ConsoleDevice::ScreenView& view, Size size) {
  const int rows = std::min(kRows, size.rows);
  for (int row = 0; row < rows; ++row) {
    AppendSpan(out, view, row, 0, kColumns, size);
    if (size.columns > kColumns) {
      if (!view.chars) AppendMove(out, row, 0);
      out += "\x1b[0m\x1b[K";  // the rest of a wider terminal's row
    }
  }
  if (size.rows > kRows) {
    AppendMove(out, kRows, 0);
    out += "\x1b[0m\x1b[J";
  }
}

void AppendCursor(std::string& out, const ConsoleDevice::ScreenView& view, Size size) {
  const int column = std::clamp(view.cursorColumn, 0, std::max(0, std::min(kColumns, size.columns) - 1));
  const int row = std::clamp(view.cursorRow, 0, std::max(0, std::min(kRows, size.rows) - 1));
  AppendMove(out, row, column);
}

void AppendTitle(std::string& out, std::string_view title) {
  out += "\x1b]0;";
  for (char c : title) {
    const auto b = static_cast<uint8_t>(c);
    if (CellText(b) != " " || b == ' ') out += CellText(b);
  }
  out += '\x07';
}

bool EnlargesText() {
  const char* tmux = std::getenv("TMUX");
  if (tmux && *tmux) return false;
  const char* term = std::getenv("TERM");
  const std::string_view t = term ? term : "";
  if (t.starts_with("screen") || t.starts_with("tmux") || t == "xterm-kitty") return false;
  const char* vte = std::getenv("VTE_VERSION");
  const char* konsole = std::getenv("KONSOLE_VERSION");
  return (vte && *vte) || (konsole && *konsole) || t.starts_with("xterm") || t == "konsole" ||
         t.starts_with("konsole-");
}

int BandRows(const ConsoleDevice::Band& band, bool enlarged) {
  const int row = std::clamp(band.row, 1, kRows) - 1;
  return enlarged && band.zoom >= 2 && row + 1 < kRows ? 2 : 1;
}

void AppendBand(std::string& out, const ConsoleDevice::ScreenView& view, const ConsoleDevice::Band& band,
                bool enlarged, Size size) {
  const int first = std::clamp(band.row, 1, kRows) - 1;
  const int rows = BandRows(band, enlarged);
  const bool twice = rows == 2;
  const int width = std::min(twice ? kColumns / 2 : kColumns, twice ? size.columns / 2 : size.columns);
  const uint8_t plain = static_cast<uint8_t>((band.backgroundColour & 15) << 4 | (band.textColour & 15));
  const uint8_t cursor = static_cast<uint8_t>((band.backgroundColour & 15) << 4 | (band.cursorColour & 15));
  for (int r = first; r < first + rows && r < size.rows; ++r) {
    AppendMove(out, r, 0);
    // Top and bottom halves of double-height, double-width characters.
    if (twice) out += r == first ? "\x1b#3" : "\x1b#4";
    int current = -1;
    for (int col = 0; col < width; ++col) {
      const uint8_t ch = col < static_cast<int>(band.text.size()) ? static_cast<uint8_t>(band.text[static_cast<std::size_t>(col)]) : ' ';
      const uint8_t attribute = col + 1 == band.cursorIndex ? cursor : plain;
      if (attribute != current) {
        current = attribute;
        AppendAttribute(out, view.remap, attribute);
      }
      out += CellText(ch);
    }
  }
}

void AppendUnband(std::string& out, const ConsoleDevice::ScreenView& view, int firstRow, int count, Size size) {
  for (int r = std::max(firstRow, 0); r < firstRow + count && r < std::min(kRows, size.rows); ++r) {
    AppendMove(out, r, 0);
    out += "\x1b#5";  // single width, single height again
    AppendSpan(out, view, r, 0, kColumns, size);
  }
}

std::string_view EnterSequence() {
  // Title saved, alternate screen, no automatic wrap (a narrow terminal is clipped),
  // mouse buttons and wheel in SGR form, focus reports.
  return "\x1b[22;0t\x1b[?1049h\x1b[?7l\x1b[?1000h\x1b[?1006h\x1b[?1004h\x1b[?25h";
}

std::string_view LeaveSequence() {
  return "\x1b[?1004l\x1b[?1006l\x1b[?1000l\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l\x1b[23;0t";
}

}  // namespace TerminalDraw
