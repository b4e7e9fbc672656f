// The console window on a real X server for a test: Xvfb with openbox started by the test,
// the window device opened with small cells (8x16), and the window's pixels read back from
// the server as a user would see them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "console/braille_input.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "console/magnifier.h"
#include "settings/settings.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "tests/support/temp_drive.h"
#include "tests/support/x_server.h"
// After the other headers: Xlib's macros (None, Bool …) would break them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Rgb& c) { return o << "(" << c.r << "," << c.g << "," << c.b << ")"; }

class WindowTest : public ::testing::Test {
 protected:
  static constexpr int kCellW = 8;
  static constexpr int kCellH = 16;

  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << "Xvfb is needed (scripts/deps.sh installs it)";
    ASSERT_TRUE(server_.Managed()) << "openbox is needed (scripts/deps.sh installs it): " << server_.ManagerLog();
    WriteSettings(ExtraSettings());
    setenv("FONIX_CONSOLE", "window", 1);
    setenv("FONIX_AUDIO", "null", 1);
    unsetenv("FONIX_KEYS");
    Console::ResetConsole();
    Keyboard::ResetKeyboard();
    std::string error;
    ASSERT_TRUE(Console::OpenDevice(error)) << error;
    ASSERT_STREQ(Console::Device().Name(), "window");
    Console::ConsoleInit();
    // A window that went away makes a request fail; the test sees it, the process lives on.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    window_ = static_cast<Window>(Console::WindowHandle());
    ASSERT_NE(window_, 0u);
    // Shown once the window is mapped and painted with the screen's black.
    ASSERT_TRUE(PumpUntil([&] { return Viewable() && Pixel(2, 2) == Rgb{0, 0, 0}; })) << "the window never showed";
  }

  void TearDown() override {
    Console::Shutdown();
    Console::ResetConsole();
    BrailleInput::ResetBrailleInput();
    Keyboard::ResetKeyboard();
    Magnifier::ResetMagnifier();
    if (display_) XCloseDisplay(display_);
    Settings::ResetSettings();
  }

  // Settings of section VIDEO beyond the cell size (a test may add its own).
  virtual std::string ExtraSettings() { return ""; }

  void WriteSettings(const std::string& extra) {
    const auto file = drive_.config / "Auris" / "Auris.ini";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "[VIDEO]\nLARGURALETRA=" << kCellW << "\nALTURALETRA=" << kCellH << "\n" << extra;
    Settings::ResetSettings();
  }

  // Runs the event loop until `done` holds (true) or two seconds pass (false).
  bool PumpUntil(const std::function<bool()>& done, int ms = 2000) {
    const int64_t until = Messages::NowMs() + ms;
    for (;;) {
      Messages::PumpMessages();
      if (done()) return true;
      if (Messages::NowMs() > until) return false;
      Messages::WaitMessage(10);
    }
  }

  bool Viewable() {
    XWindowAttributes a;
    return XGetWindowAttributes(display_, window_, &a) && a.map_state == IsViewable;
  }

  Rgb Pixel(int x, int y) {
    XImage* image = XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
  }

  // How many pixels of the rectangle have colour `c` (or are near it, by `tolerance`).
  int Count(int x, int y, int w, int h, Rgb c, int tolerance = 0) {
    XImage* image = XGetImage(display_, window_, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return -1;
    int n = 0;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const unsigned long p = XGetPixel(image, i, j);
        const int r = static_cast<int>((p >> 16) & 255), g = static_cast<int>((p >> 8) & 255), b = static_cast<int>(p & 255);
        n += std::abs(r - c.r) <= tolerance && std::abs(g - c.g) <= tolerance && std::abs(b - c.b) <= tolerance;
      }
    XDestroyImage(image);
    return n;
  }

  // The cell's pixels (column, row 1-based) of colour c.
  int CountInCell(int column, int row, Rgb c) { return Count((column - 1) * kCellW, (row - 1) * kCellH, kCellW, kCellH, c); }

  void WindowSize(int& w, int& h) {
    XWindowAttributes a;
    XGetWindowAttributes(display_, window_, &a);
    w = a.width;
    h = a.height;
  }

  static inline const Rgb kBlack{0, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kRed{255, 0, 0},
      kYellow{255, 255, 0}, kWhite{255, 255, 255}, kCyan{0, 255, 255}, kBrown{68, 34, 34};

  TempDrive drive_;
  XServer server_{true};
  Display* display_ = nullptr;
  Window window_ = 0;
};
