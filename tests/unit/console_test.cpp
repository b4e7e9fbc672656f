// The screen model: the column-81 rule, ending rows and scrolling, clearing and colours.
#include "interp_fixture.h"

namespace {

class ConsoleTest : public InterpTest {};

TEST_F(ConsoleTest, EightyCharactersThenTheNextRow) {
  Console::ConsoleClear();
  Console::ConsoleWrite(std::string(80, 'x'));
  EXPECT_EQ(Console::ConsoleWhereX(), 81);  // past the last column, still on the row
  EXPECT_EQ(Console::ConsoleWhereY(), 1);
  Console::ConsoleWrite("y");
  EXPECT_EQ(Console::RowText(2), "y");
  EXPECT_EQ(Console::ConsoleWhereX(), 2);
  // A line end right after the 80th column ends the row only once.
  Console::ConsoleClear();
  Console::ConsoleWrite(std::string(80, 'x') + "\r\nz");
  EXPECT_EQ(Console::RowText(2), "z");
}

TEST_F(ConsoleTest, ControlBytes) {
  Console::ConsoleClear();
  Console::ConsoleWrite("\bab\tc\x01\b\bd");
  EXPECT_EQ(Console::RowText(1), "ad");  // backspace at column 1 stays; tab is dropped
  Console::ConsoleWrite("\rZ");
  EXPECT_EQ(Console::RowText(1), "Zd");
  Console::ConsoleGotoXY(0, 0);
  EXPECT_EQ(Console::ConsoleWhereX(), 1);
  EXPECT_EQ(Console::ConsoleWhereY(), 1);
  Console::ConsoleGotoXY(200, 99);
  EXPECT_EQ(Console::ConsoleWhereX(), 80);
  EXPECT_EQ(Console::ConsoleWhereY(), 25);
  Console::ConsoleWrite("q");
  EXPECT_EQ(Console::RowText(25).back(), 'q');
  Console::ConsoleGotoXY(3, 1);
  Console::ConsoleClearToEol();
  EXPECT_EQ(Console::RowText(1), "Zd");
  Console::ConsoleGotoXY(2, 1);
  Console::ConsoleClearToEol();
  EXPECT_EQ(Console::RowText(1), "Z");
}

TEST_F(ConsoleTest, ScrollingTakesTheCurrentBackground) {
  Console::ConsoleClear();
  for (int i = 1; i <= 25; ++i) Console::ConsoleWrite("row " + std::to_string(i) + (i < 25 ? "\r\n" : ""));
  Console::ConsoleSetBackground(1);
  Console::ConsoleWrite("\r\n");
  EXPECT_EQ(Console::RowText(1), "row 2");
  EXPECT_EQ(Console::RowText(24), "row 25");
  EXPECT_EQ(Console::RowText(25), "");
  EXPECT_EQ(Console::ConsoleWhereY(), 25);
  EXPECT_EQ(Console::CellAttribute(1, 25), 0x1F);
  EXPECT_EQ(Console::CellAttribute(1, 24), 0x0F);
}

TEST_F(ConsoleTest, ColoursAndFixedColours) {
  Console::ConsoleSetForeground(14);
  Console::ConsoleSetBackground(1);
  EXPECT_EQ(Console::TextAttribute(), 0x1E);
  Console::ConsoleSetForeground(0x2F);  // only the low nibble counts
  EXPECT_EQ(Console::TextAttribute(), 0x1F);
  Console::SetColoursFixed(true);
  Console::ConsoleSetForeground(4);
  EXPECT_EQ(Console::TextAttribute(), 0x1F);
  Console::ConsoleClear();
  Console::ConsoleWrite("a");
  EXPECT_EQ(Console::CellAttribute(1, 1), 0x1F);
  EXPECT_EQ(Console::CellAttribute(80, 25), 0x1F);
}

TEST_F(ConsoleTest, LinesReachTheTranscriptWhenEnded) {
  Console::ConsoleWrite("abc\bd");
  Console::ConsoleWrite(std::string(90, 'e'));
  Console::ConsoleWrite("\r\n");
  const auto events = Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "line: abd" + std::string(90, 'e'));
}

}  // namespace
