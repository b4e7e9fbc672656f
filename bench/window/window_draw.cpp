// Drawing speed of the window console device: a full 80x25 redraw (a scroll of a full
// screen) and a one-character write, each timed until the pixels can be read back from the
// X server, beside xterm drawing the same text under the same Xvfb in the same run (xterm's
// figure is its time per screen or per character over a whole run, start-up taken away).
// Usage: window_draw [rounds]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "platform/events/messages.h"
#include "tests/support/x_server.h"
// After the runtime's headers: Xlib's macros would break them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The pixel is on the server: a round trip reads it back.
unsigned long ReadPixel(Display* d, Window w, int x, int y) {
  XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return ~0ul;
  const unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return p;
}

// Seconds xterm takes to show `file` and end (it runs cat on it).
double XtermRunMs(const std::string& file) {
  const double start = NowMs();
  const pid_t pid = XServer::Spawn({"xterm", "-geometry", "80x25", "-fa", "DejaVu Sans Mono", "-fs", "11", "-e", "cat", file});
  if (pid <= 0) return -1;
  waitpid(pid, nullptr, 0);
  return NowMs() - start;
}

// xterm's characters are many more than ours, so that its start-up does not drown them.
constexpr int kCharsPerRound = 500;

std::string Row(int i) {
  std::string row;
  for (int c = 0; c < 80; ++c) row.push_back(static_cast<char>('A' + (i + c) % 26));
  return row;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  setenv("FONIX_CONSOLE", "window", 1);
  setenv("FONIX_AUDIO", "null", 1);
  unsetenv("FONIX_KEYS");
  XServer xvfb(false, "1280x1024x24");
  if (!xvfb.Running()) {
    std::fprintf(stderr, "Xvfb is needed\n");
    return 1;
  }
  std::string error;
  if (!Console::OpenDevice(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  Console::ConsoleInit();
  Display* d = XOpenDisplay(nullptr);
  const Window w = static_cast<Window>(Console::WindowHandle());
  for (int i = 0; i < 50; ++i) {
    Messages::PumpMessages();
    Messages::WaitMessage(20);
  }
  XWindowAttributes a;
  XGetWindowAttributes(d, w, &a);
  const int cellW = a.width / 80, cellH = a.height / 25;
  for (int i = 0; i < 25; ++i) {
    Console::ConsoleWrite(Row(i));
    if (i < 24) Console::ConsoleWrite("\n");
  }

  // Full redraws: a full row written on the last row and a line feed scroll the screen; the
  // background changes each time so that every cell is drawn anew.
  std::vector<double> full, one;
  for (int i = 0; i < rounds; ++i) {
    Console::ConsoleSetBackground(1 + i % 6);
    std::string line(1, '\n');
    line += Row(i);
    const double start = NowMs();
    Console::ConsoleWrite(line);
    ReadPixel(d, w, 1, a.height - 2);
    full.push_back(NowMs() - start);
    Messages::PumpMessages();
  }
  for (int i = 0; i < rounds; ++i) {
    Console::ConsoleGotoXY(1 + i % 80, 1 + (i / 80) % 25);
    const double start = NowMs();
    Console::ConsoleWriteChar(static_cast<uint8_t>('a' + i % 26));
    ReadPixel(d, w, (i % 80) * cellW + 1, ((i / 80) % 25) * cellH + 1);
    one.push_back(NowMs() - start);
    Messages::PumpMessages();
  }
  Console::Shutdown();
  XCloseDisplay(d);

  // xterm under the same server: the same screens, then as many single characters placed
  // with the cursor, each run against an empty one for its start-up and end.
  char dir[] = "/tmp/fonix-bench-XXXXXX";
  const std::string base = mkdtemp(dir);
  {
    std::ofstream screens(base + "/screens.txt"), chars(base + "/chars.txt"), empty(base + "/empty.txt");
    for (int i = 0; i < rounds; ++i)
      for (int r = 0; r < 25; ++r) screens << "\x1b[4" << (1 + (i + r) % 6) << "m" << Row(i + r) << "\r\n";
    for (int i = 0; i < rounds * kCharsPerRound; ++i)
      chars << "\x1b[" << 1 + (i / 80) % 25 << ";" << 1 + i % 80 << "H" << static_cast<char>('a' + i % 26);
  }
  const double emptyMs = std::min({XtermRunMs(base + "/empty.txt"), XtermRunMs(base + "/empty.txt"), XtermRunMs(base + "/empty.txt")});
  const double screensMs = XtermRunMs(base + "/screens.txt");
  const double charsMs = XtermRunMs(base + "/chars.txt");
  std::remove((base + "/screens.txt").c_str());
  std::remove((base + "/chars.txt").c_str());
  std::remove((base + "/empty.txt").c_str());
  rmdir(base.c_str());
  if (emptyMs < 0) {
    std::fprintf(stderr, "xterm is needed for the peer's figures\n");
    return 1;
  }
  std::printf("window device, %d rounds, cells %dx%d (to pixels read back from Xvfb)\n", rounds, cellW, cellH);
  std::printf("  full 80x25 redraw:      median %.3f ms   worst %.3f ms\n", Median(full), *std::max_element(full.begin(), full.end()));
  std::printf("  one-character write:    median %.3f ms   worst %.3f ms\n", Median(one), *std::max_element(one.begin(), one.end()));
  std::printf("xterm, same server (whole run less start-up, per item; it may skip screens)\n");
  std::printf("  full 80x25 screen:      %.3f ms\n", std::max(0.0, screensMs - emptyMs) / (rounds * 25) * 25);
  std::printf("  one character:          %.4f ms\n", std::max(0.0, charsMs - emptyMs) / (rounds * kCharsPerRound));
  return 0;
}
