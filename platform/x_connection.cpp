// A module's own X display connection, reopened after the server goes away.
#include "platform/x_connection.h"

#include <cstdlib>

#include "platform/messages.h"

namespace {
constexpr int kRetryOpenMs = 1000;

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
void OnLost(Display*, void* connection) { static_cast<XConnection*>(connection)->lost = true; }
}  // namespace

Display* XConnection::Get() {
  if (display && lost) Close();
  if (display) return display;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  const int64_t now = Messages::NowMs();
  if (now - lastFailedOpenMs < kRetryOpenMs) return nullptr;
  display = XOpenDisplay(nullptr);
  if (!display) {
    lastFailedOpenMs = now;
    return nullptr;
  }
  lost = false;
  XSetIOErrorExitHandler(display, OnLost, this);
  return display;
}

void XConnection::Close() {
  if (display) XCloseDisplay(display);
  display = nullptr;
  lost = false;
}

XErrorTrap::XErrorTrap(Display* d) : display_(d), previous_(XSetErrorHandler(IgnoreErrors)) {}
XErrorTrap::~XErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}
