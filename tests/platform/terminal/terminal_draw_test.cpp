// What the terminal is sent to show the screen: the console's colours through the remap
// table in 24-bit colour, cells in UTF-8, clipping to a small terminal, cursor and title.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/terminal/terminal_draw.h"

namespace {

using ConsoleDevice::kColumns;
using ConsoleDevice::kRows;

struct Screen {
  uint8_t chars[kColumns * kRows];
  uint8_t attrs[kColumns * kRows];
  uint8_t remap[16];
  Screen() {
    std::memset(chars, ' ', sizeof chars);
    std::memset(attrs, 0x07, sizeof attrs);
    for (int i = 0; i < 16; ++i) remap[i] = static_cast<uint8_t>(i);
  }
  void Put(int row, int col, const std::string& text, uint8_t attr) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      chars[row * kColumns + col + static_cast<int>(i)] = static_cast<uint8_t>(text[i]);
      attrs[row * kColumns + col + static_cast<int>(i)] = attr;
    }
  }
  ConsoleDevice::ScreenView View(int column = 0, int row = 0) const { return {chars, attrs, remap, column, row}; }
};

std::string Span(const Screen& s, int row, int from, int to, TerminalDraw::Size size = {}) {
  std::string out;
  TerminalDraw::AppendSpan(out, s.View(), row, from, to, size);
  return out;
}

TEST(TerminalDraw, ColoursAreThePaletteThroughTheRemapTable) {
  Screen s;
  s.Put(2, 10, "ab", 0x1E);  // yellow on blue
  s.Put(2, 12, "c", 0x1E);
  s.Put(2, 13, "d", 0x5C);   // light red on magenta
  EXPECT_EQ(Span(s, 2, 10, 14),
            "\x1b[3;11H\x1b[38;2;255;255;0;48;2;0;0;255mabc\x1b[38;2;255;128;128;48;2;142;0;142md");
  s.remap[14] = 6;   // yellow shows as entry 6, brown
  s.remap[1] = 200;  // an entry above 15 is black
  EXPECT_EQ(Span(s, 2, 10, 11), "\x1b[3;11H\x1b[38;2;68;34;34;48;2;0;0;0ma");
}

TEST(TerminalDraw, CellsInUtf8OneCellEach) {
  Screen s;
  s.Put(0, 0, "\xe7\xe3o \x80\x85", 0x0F);  // "ção €…" in Windows-1252
  EXPECT_EQ(Span(s, 0, 0, 6), "\x1b[1;1H\x1b[38;2;255;255;255;48;2;0;0;0m" "ção €…");
  // Bytes a terminal would obey (DEL, the undefined C1 codes such as 9D, which is OSC) show as blanks.
  s.Put(0, 0, "\x7f\x9d\x81", 0x0F);
  EXPECT_EQ(Span(s, 0, 0, 3), "\x1b[1;1H\x1b[38;2;255;255;255;48;2;0;0;0m   ");
}

TEST(TerminalDraw, SmallTerminalShowsWhatFits) {
  Screen s;
  s.Put(0, 0, std::string(80, 'x'), 0x07);
  const std::string narrow = Span(s, 0, 0, 80, {30, 10});
  EXPECT_EQ(narrow.substr(narrow.find('m') + 1), std::string(30, 'x'));
  EXPECT_EQ(Span(s, 0, 40, 80, {30, 10}), "");
  EXPECT_EQ(Span(s, 12, 0, 80, {30, 10}), "");  // a row below the terminal
  std::string all;
  TerminalDraw::AppendScreen(all, s.View(), {30, 10});
  EXPECT_NE(all.find("\x1b[10;1H"), std::string::npos);
  EXPECT_EQ(all.find("\x1b[11;1H"), std::string::npos);
}

TEST(TerminalDraw, LargeTerminalIsClearedAroundTheScreen) {
  Screen s;
  std::string all;
  TerminalDraw::AppendScreen(all, s.View(), {120, 40});
  // Each row ends with the rest of the line erased in default colours, and below row 25 too.
  std::size_t rowsCleared = 0;
  for (std::size_t at = all.find("\x1b[0m\x1b[K"); at != std::string::npos; at = all.find("\x1b[0m\x1b[K", at + 1)) ++rowsCleared;
  EXPECT_EQ(rowsCleared, 25u);
  EXPECT_NE(all.find("\x1b[26;1H\x1b[0m\x1b[J"), std::string::npos);
}

TEST(TerminalDraw, CursorAndTitle) {
  Screen s;
  std::string out;
  TerminalDraw::AppendCursor(out, s.View(5, 3), {});
  EXPECT_EQ(out, "\x1b[4;6H");
  out.clear();
  TerminalDraw::AppendCursor(out, s.View(kColumns, 24), {});  // just past column 80
  EXPECT_EQ(out, "\x1b[25;80H");
  out.clear();
  TerminalDraw::AppendCursor(out, s.View(70, 24), {40, 10});  // outside a small terminal
  EXPECT_EQ(out, "\x1b[10;40H");
  out.clear();
  TerminalDraw::AppendTitle(out, "Ol\xe1\x07\x1b]2;x");  // control bytes cannot end the title early
  EXPECT_EQ(out, "\x1b]0;Olá]2;x\x07");
}

TEST(TerminalDraw, LeavingUndoesEveryModeEntered) {
  const std::string enter(TerminalDraw::EnterSequence()), leave(TerminalDraw::LeaveSequence());
  for (const char* mode : {"?1049", "?1000", "?1006", "?1004"}) {
    EXPECT_NE(enter.find(std::string(mode) + "h"), std::string::npos) << mode;
    EXPECT_NE(leave.find(std::string(mode) + "l"), std::string::npos) << mode;
  }
  EXPECT_NE(leave.find("\x1b[?25h"), std::string::npos);  // cursor shown
  EXPECT_NE(leave.find("\x1b[0m"), std::string::npos);    // colours reset
  EXPECT_NE(leave.find("\x1b[?7h"), std::string::npos);   // wrapping back on
}

}  // namespace
