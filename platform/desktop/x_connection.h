// One connection of this process to the X display, for a module that needs its own (input
// simulation, the clipboard): opened on first use, given up when the server goes away, and
// not retried more than once a second while no display answers.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

struct XConnection {
  Display* display = nullptr;
  bool lost = false;            // the server closed the connection: reopen on the next use
  int64_t lastFailedOpenMs = -1000000;

  // The display, opening it when needed; nullptr without one.
  Display* Get();
  void Close();
  ~XConnection() { Close(); }
};

// Errors about windows or key codes that vanish between two requests are expected: while
// one lives they are ignored; the requests are synced before it ends.
class XErrorTrap {
 public:
  explicit XErrorTrap(Display* d);
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};
