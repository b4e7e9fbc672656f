// The console window as a user sees it on a real X server: cells in their colours, scrolling,
// the caret while a key is awaited, resizing, the title and handle, minimising and closing.
#include "tests/platform/window/window_fixture.h"

namespace {

TEST_F(WindowTest, CellsShowTheirColoursAndAScrolledInRowTakesTheBackground) {
  int w = 0, h = 0;
  WindowSize(w, h);
  EXPECT_EQ(w, 80 * kCellW);
  EXPECT_EQ(h, 25 * kCellH);
  Console::ConsoleSetBackground(1);
  Console::ConsoleSetForeground(14);
  Console::ConsoleWrite("M ");
  Console::ConsoleSetBackground(4);
  Console::ConsoleSetForeground(15);
  Console::ConsoleGotoXY(80, 25);
  Console::ConsoleWrite("W");
  // The M cell: blue ground with yellow strokes; the space: blue only; the last cell red and white.
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(80, 25, kWhite) > 0; }));
  EXPECT_GT(CountInCell(1, 1, kYellow), 8);
  EXPECT_GT(CountInCell(1, 1, kBlue), 40);
  EXPECT_EQ(CountInCell(2, 1, kBlue), kCellW * kCellH);
  EXPECT_GT(CountInCell(80, 25, kRed), 40);
  EXPECT_EQ(CountInCell(3, 1, kBlack), kCellW * kCellH) << "cells not written stay as cleared";

  // A line feed on the last row scrolls: the new row takes the current background (green),
  // and what was on row 1 is gone with it.
  Console::ConsoleSetBackground(2);
  Console::ConsoleWrite("\n");
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(40, 25, kGreen) == kCellW * kCellH; }));
  EXPECT_EQ(CountInCell(1, 1, kYellow), 0);
  EXPECT_GT(CountInCell(80, 24, kWhite), 0) << "the last row moved up one row";
  EXPECT_EQ(CountInCell(80, 25, kWhite), 0);
}

TEST_F(WindowTest, TheCaretShowsOnlyWhileAKeyIsAwaited) {
  Console::ConsoleGotoXY(5, 3);
  XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  XSync(display_, False);
  // The caret: one cell wide, 2 pixels high, below the text's base line; on black it is white.
  ASSERT_TRUE(PumpUntil([&] {
    Console::DeviceWindow()->SetReading(true);
    return CountInCell(5, 3, kWhite) == 2 * kCellW;
  })) << "no caret of one cell by two pixels";
  EXPECT_EQ(CountInCell(6, 3, kWhite), 0);
  Console::DeviceWindow()->SetReading(false);
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(5, 3, kWhite) == 0; })) << "the caret stays after the key";
}

TEST_F(WindowTest, AResizedWindowScalesTheWholeGrid) {
  Console::ConsoleSetBackground(4);
  Console::ConsoleGotoXY(80, 25);
  Console::ConsoleWrite(" ");
  Console::ConsoleGotoXY(1, 1);
  Console::ConsoleWrite(" ");
  ASSERT_TRUE(PumpUntil([&] { return CountInCell(80, 25, kRed) == kCellW * kCellH; }));
  // One and a half times the size: each cell is 12 x 24, the last one still bottom right.
  const int w = 120 * kCellW, h = 75 * kCellH / 2;
  XResizeWindow(display_, window_, w, h);
  XSync(display_, False);
  auto solid = [&](int x, int y, Rgb c) { return Count(x + 2, y + 2, 8, 20, c) == 8 * 20; };
  ASSERT_TRUE(PumpUntil([&] {
    int ww, wh;
    WindowSize(ww, wh);
    return ww == w && wh == h && solid(79 * 12, 24 * 24, kRed);
  })) << "the last cell is not where the scaled grid puts it";
  EXPECT_TRUE(solid(0, 0, kRed));
  EXPECT_TRUE(solid(12, 0, kBlack));
  EXPECT_TRUE(solid(78 * 12, 24 * 24, kBlack));
}

TEST_F(WindowTest, TheTitleAndHandleNameThisWindowAndItMinimisesAndComesBack) {
  Console::ConsoleSetTitle("Programa de teste ção"_cp);
  // The desktop reads the title as UTF-8 from the window's name property.
  const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  ASSERT_TRUE(PumpUntil([&] {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display_, window_, netName, 0, 256, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success && data) {
      name.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    return name == "Programa de teste ção";
  }));
  // Both go through the window manager, which may be slow to answer on a loaded machine.
  Console::ConsoleShow(ConsoleDevice::Visibility::Hidden);
  ASSERT_TRUE(PumpUntil([&] { return !Viewable(); }, 10000)) << "TELA MINIMIZADA left the window shown";
  Console::ConsoleShow(ConsoleDevice::Visibility::Restored);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(); }, 10000)) << "TELA NORMAL did not bring it back";
}

TEST_F(WindowTest, ClosingTheWindowEndsTheRunWithStatusThree) {
  const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window_;
  e.xclient.message_type = protocols;
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window_, False, NoEventMask, &e);
  XSync(display_, False);
  int status = -1;
  try {
    PumpUntil([] { return false; }, 2000);
  } catch (const ProgramExit& exit) {
    status = exit.status;
  }
  EXPECT_EQ(status, 3);
}

}  // namespace
