// A module's own X display connection, reopened after the server goes away.
#include "platform/desktop/x_connection.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/events/messages.h"

namespace {
constexpr int kRetryOpenMs = 1000;

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
void OnLost(Display*, void* connection) { static_cast<XConnection*>(connection)->lost = true; }

std::vector<XConnection*>& Open() {
  static std::vector<XConnection*> open;
  return open;
}

// Xlib's own handler ends the process when a server goes away: for our connections the
// loss is noted and the program goes on; other connections keep the handler they had.
XIOErrorHandler previousIoHandler = nullptr;

int OnIoError(Display* d) {
  for (XConnection* c : Open())
    if (c->display == d) {
      c->lost = true;
      return 0;
    }
  return previousIoHandler ? previousIoHandler(d) : 0;
}
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
  static const bool handlerSet = [] {
    previousIoHandler = XSetIOErrorHandler(OnIoError);
    return true;
  }();
  (void)handlerSet;
  XSetIOErrorExitHandler(display, OnLost, this);
  Open().push_back(this);
  return display;
}

void XConnection::Close() {
  if (display) XCloseDisplay(display);  // a lost server is still noted as ours here
  auto& open = Open();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  display = nullptr;
  lost = false;
}

XErrorTrap::XErrorTrap(Display* d) : display_(d), previous_(XSetErrorHandler(IgnoreErrors)) {}
XErrorTrap::~XErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}
