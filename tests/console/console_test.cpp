// The screen model: the column-81 rule, ending rows and scrolling, clearing and colours.
#include <climits>

#include "tests/support/interp_fixture.h"

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
  // The extremes of int land on the edges they point to, not across the screen.
  Console::ConsoleGotoXY(INT_MIN, INT_MIN);
  EXPECT_EQ(Console::ConsoleWhereX() * 100 + Console::ConsoleWhereY(), 101);
  Console::ConsoleGotoXY(INT_MAX, INT_MIN);
  EXPECT_EQ(Console::ConsoleWhereX() * 100 + Console::ConsoleWhereY(), 8001);
  Console::ConsoleGotoXY(200, 99);
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

namespace {

class ConsoleImageTest : public InterpTest {
 protected:
  // A bitmap file: `bits` per pixel, with the header size and colour count given.
  std::string WriteBitmap(const std::string& name, uint32_t headerSize, int width, int height, uint16_t bits,
                          uint32_t coloursUsed, std::size_t pixelBytes) {
    std::vector<uint8_t> b(54 + 4 * coloursUsed + pixelBytes, 0);
    auto put32 = [&](std::size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, static_cast<uint32_t>(54 + 4 * coloursUsed));
    put32(14, headerSize);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[28] = static_cast<uint8_t>(bits);
    put32(46, coloursUsed);
    const std::string host = std::string(getenv("FONIX_DRIVE_C")) + "/" + name;
    std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return "c:\\" + name;
  }
};

TEST_F(ConsoleImageTest, LoadsOnlyUsableBitmaps) {
  Paths::EnsureDriveC();
  // 3 x 2 at 24 bits: rows of 9 bytes padded to 12.
  ASSERT_TRUE(Console::ConsoleLoadImage(WriteBitmap("ok.bmp", 40, 3, 2, 24, 0, 24)));
  ASSERT_NE(Console::ConsoleOverlay(), nullptr);
  EXPECT_EQ(Console::ConsoleOverlay()->pixels.size(), 24u);
  EXPECT_EQ(Console::ConsoleOverlay()->x, 0);
  Console::ConsoleDrawImage(5, 7);
  EXPECT_EQ(Console::ConsoleOverlay()->y, 7);
  // An 8-bit picture with its colour count left at 0 carries the full table.
  ASSERT_TRUE(Console::ConsoleLoadImage(WriteBitmap("pal.bmp", 40, 4, 1, 8, 256, 4)));
  EXPECT_EQ(Console::ConsoleOverlay()->info.size(), 40u + 1024u);

  EXPECT_FALSE(Console::ConsoleLoadImage("c:\\nao_existe.bmp"));
  EXPECT_FALSE(Console::ConsoleLoadImage(WriteBitmap("core.bmp", 12, 3, 2, 24, 0, 24)));
  EXPECT_FALSE(Console::ConsoleLoadImage(WriteBitmap("short.bmp", 40, 3, 2, 24, 0, 10)));
  EXPECT_FALSE(Console::ConsoleLoadImage(WriteBitmap("huge.bmp", 40, 0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 0)));
  EXPECT_FALSE(Console::ConsoleLoadImage(WriteBitmap("bits.bmp", 40, 3, 2, 0, 0, 24)));
  // The previous picture stays after a failed load.
  EXPECT_EQ(Console::ConsoleOverlay()->info.size(), 40u + 1024u);
  Console::ConsoleRemoveImage();
  EXPECT_EQ(Console::ConsoleOverlay(), nullptr);
}

// A picture left by one run is gone at the start of the next.
TEST_F(ConsoleImageTest, AResetRemovesThePicture) {
  Paths::EnsureDriveC();
  ASSERT_TRUE(Console::ConsoleLoadImage(WriteBitmap("ok.bmp", 40, 3, 2, 24, 0, 24)));
  Start("");
  EXPECT_EQ(Console::ConsoleOverlay(), nullptr);
}

}  // namespace
