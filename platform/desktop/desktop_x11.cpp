// The desktop on an X display: EWMH (the client list in stacking order, the active window,
// close and state requests to the window manager) when a window manager offers it, else the
// window tree below the root with the ICCCM properties. Errors about windows that vanish
// between two requests are expected and ignored.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>

#include "platform/text/cp1252.h"
#include "platform/desktop/desktop.h"
#include "platform/events/messages.h"

namespace Desktop {
namespace {

constexpr int kRetryOpenMs = 1000;
constexpr int kCloseWaitMs = 2000;
constexpr long kSourcePager = 2;  // EWMH source indication: a direct user request

struct Atoms {
  Atom clientList, clientListStacking, activeWindow, wmName, utf8String, wmState, netWmState, hidden,
      maximizedVert, maximizedHorz, closeWindow, supportingWmCheck, wmProtocols, wmDeleteWindow;
};

struct State {
  Display* display = nullptr;
  bool ioError = false;
  int64_t lastFailedOpenMs = -kRetryOpenMs;
  Atoms atoms{};
  WindowId console = 0;
};

State& S() {
  static State state;
  return state;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// The connection is lost (the server ended): this display is given up, the program goes
// on. Other displays of the program keep the handler they had.
XIOErrorHandler previousIoHandler = nullptr;

int OnIoError(Display* d) {
  if (d == S().display) {
    S().ioError = true;
    return 0;
  }
  return previousIoHandler ? previousIoHandler(d) : 0;
}

void OnIoErrorExit(Display*, void*) { S().ioError = true; }

// Errors are ignored while one lives; the requests are synced before it ends.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* d) : display_(d), previous_(XSetErrorHandler(IgnoreErrors)) {}
  ~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

void Disconnect() {
  State& s = S();
  if (s.display) XCloseDisplay(s.display);
  s.display = nullptr;
  s.ioError = false;
}

Display* Connect() {
  State& s = S();
  if (s.display && s.ioError) Disconnect();
  if (s.display) return s.display;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  const int64_t now = Messages::NowMs();
  if (now - s.lastFailedOpenMs < kRetryOpenMs) return nullptr;
  s.display = XOpenDisplay(nullptr);
  if (!s.display) {
    s.lastFailedOpenMs = now;
    return nullptr;
  }
  static const bool handlerSet = [] {
    previousIoHandler = XSetIOErrorHandler(OnIoError);
    return true;
  }();
  (void)handlerSet;
  XSetIOErrorExitHandler(s.display, OnIoErrorExit, nullptr);
  Atoms& a = s.atoms;
  auto atom = [&](const char* n) { return XInternAtom(s.display, n, False); };
  a.clientList = atom("_NET_CLIENT_LIST");
  a.clientListStacking = atom("_NET_CLIENT_LIST_STACKING");
  a.activeWindow = atom("_NET_ACTIVE_WINDOW");
  a.wmName = atom("_NET_WM_NAME");
  a.utf8String = atom("UTF8_STRING");
  a.wmState = atom("WM_STATE");
  a.netWmState = atom("_NET_WM_STATE");
  a.hidden = atom("_NET_WM_STATE_HIDDEN");
  a.maximizedVert = atom("_NET_WM_STATE_MAXIMIZED_VERT");
  a.maximizedHorz = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  a.closeWindow = atom("_NET_CLOSE_WINDOW");
  a.supportingWmCheck = atom("_NET_SUPPORTING_WM_CHECK");
  a.wmProtocols = atom("WM_PROTOCOLS");
  a.wmDeleteWindow = atom("WM_DELETE_WINDOW");
  return s.display;
}

// A property of 32-bit items (windows, atoms, cardinals); empty when absent.
std::vector<unsigned long> Property(Display* d, ::Window w, Atom property, Atom type) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(d, w, property, 0, 1 << 16, False, type, &actualType, &format, &count, &after, &data) ==
          Success &&
      data && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

::Window Root(Display* d) { return DefaultRootWindow(d); }

// The window manager's check window, when an EWMH window manager runs.
bool HaveWindowManager(Display* d) {
  const Atoms& a = S().atoms;
  const auto check = Property(d, Root(d), a.supportingWmCheck, XA_WINDOW);
  if (check.empty() || check[0] == 0) return false;
  const auto self = Property(d, check[0], a.supportingWmCheck, XA_WINDOW);
  return !self.empty() && self[0] == check[0];
}

std::string Cut(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::string TitleOf(Display* d, ::Window w) {
  const Atoms& a = S().atoms;
  {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string utf8;
    if (XGetWindowProperty(d, w, a.wmName, 0, 4096, False, a.utf8String, &type, &format, &count, &after, &data) ==
            Success &&
        data && type == a.utf8String && format == 8)
      utf8.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    if (!utf8.empty()) return Cp1252::FromUtf8(utf8);
  }
  XTextProperty property{};
  if (!XGetWMName(d, w, &property) || !property.value) return {};
  std::string title;
  if (property.encoding == XA_STRING && property.format == 8) {
    title.assign(reinterpret_cast<const char*>(property.value), property.nitems);  // Latin-1
  } else {
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(d, &property, &list, &count) >= Success && list) {
      if (count > 0 && list[0]) title = Cp1252::FromUtf8(list[0]);
      XFreeStringList(list);
    }
  }
  XFree(property.value);
  return title;
}

bool Iconic(Display* d, ::Window w) {
  const Atoms& a = S().atoms;
  const auto state = Property(d, w, a.wmState, a.wmState);
  if (!state.empty() && state[0] == IconicState) return true;
  for (unsigned long atom : Property(d, w, a.netWmState, XA_ATOM))
    if (atom == a.hidden) return true;
  return false;
}

bool Viewable(Display* d, ::Window w) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
}

bool Exists(Display* d, ::Window w) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(d, w, &attributes) != 0;
}

// Below a frame of a window manager without EWMH: the client window (the one with WM_STATE).
::Window ClientOf(Display* d, ::Window w, int depth = 0) {
  if (!Property(d, w, S().atoms.wmState, S().atoms.wmState).empty()) return w;
  if (depth > 3) return 0;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  ::Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &count)) {
    for (unsigned int i = count; i-- > 0 && !found;) found = ClientOf(d, children[i], depth + 1);
  }
  if (children) XFree(children);
  return found;
}

// Top-level windows, topmost first.
std::vector<::Window> StackFromTop(Display* d, bool& managed) {
  const Atoms& a = S().atoms;
  std::vector<::Window> windows;
  managed = HaveWindowManager(d);
  if (managed) {
    auto list = Property(d, Root(d), a.clientListStacking, XA_WINDOW);
    if (list.empty()) list = Property(d, Root(d), a.clientList, XA_WINDOW);
    windows.assign(list.rbegin(), list.rend());
    return windows;
  }
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(d, Root(d), &root, &parent, &children, &count)) {
    for (unsigned int i = count; i-- > 0;) {
      const ::Window client = ClientOf(d, children[i]);
      windows.push_back(client ? client : children[i]);
    }
  }
  if (children) XFree(children);
  return windows;
}

void SendToRoot(Display* d, ::Window w, Atom type, long l0, long l1 = 0, long l2 = 0, long l3 = 0) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = l0;
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  XSendEvent(d, Root(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool SupportsDelete(Display* d, ::Window w) {
  Atom* protocols = nullptr;
  int count = 0;
  bool found = false;
  if (XGetWMProtocols(d, w, &protocols, &count)) {
    for (int i = 0; i < count; ++i) found = found || protocols[i] == S().atoms.wmDeleteWindow;
    XFree(protocols);
  }
  return found;
}

void SetIconicState(Display* d, ::Window w, bool iconic) {
  const long state[2] = {iconic ? IconicState : NormalState, None};
  XChangeProperty(d, w, S().atoms.wmState, S().atoms.wmState, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(state), 2);
}

void Close(Display* d, ::Window w, bool managed) {
  const Atoms& a = S().atoms;
  if (managed) {
    SendToRoot(d, w, a.closeWindow, CurrentTime, kSourcePager);
  } else if (SupportsDelete(d, w)) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = a.wmProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(a.wmDeleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &event);
  } else {
    XDestroyWindow(d, w);
  }
  XSync(d, False);
  // Handled when the window is gone or no longer shown (as a close message returns once
  // handled); an application that asks first keeps its window.
  const int64_t until = Messages::NowMs() + kCloseWaitMs;
  while (Messages::NowMs() < until) {
    if (!Exists(d, w) || (!Viewable(d, w) && !Iconic(d, w))) return;
    Messages::PumpMessages();
    Messages::WaitMessage(20);
  }
}

void Activate(Display* d, ::Window w, bool managed) {
  if (managed) {
    SendToRoot(d, w, S().atoms.activeWindow, kSourcePager, CurrentTime);
  } else {
    XMapRaised(d, w);
    SetIconicState(d, w, false);
    XSync(d, False);
    XSetInputFocus(d, w, RevertToParent, CurrentTime);
  }
}

void SetMaximized(Display* d, ::Window w, bool maximized) {
  const Atoms& a = S().atoms;
  SendToRoot(d, w, a.netWmState, maximized ? 1 : 0, static_cast<long>(a.maximizedVert),
             static_cast<long>(a.maximizedHorz), kSourcePager);
}

}  // namespace

bool HasDisplay() {
  Display* d = Connect();
  if (!d) return false;
  XSync(d, False);  // a server that went away shows here
  if (!S().ioError) return true;
  Disconnect();
  return Connect() != nullptr;
}

std::vector<Window> TopLevelWindows(std::size_t titleLimit) {
  Display* d = Connect();
  std::vector<Window> windows;
  if (!d) return windows;
  {
    ErrorTrap trap(d);
    bool managed = false;
    for (::Window w : StackFromTop(d, managed)) {
      const bool minimized = Iconic(d, w);
      // Managed windows are shown, minimized or on another desktop: all count as shown.
      if (!managed && !minimized && !Viewable(d, w)) continue;
      std::string title = TitleOf(d, w);
      if (title.empty()) continue;
      windows.push_back(Window{w, Cut(std::move(title), titleLimit), minimized});
    }
  }
  if (S().ioError) {
    Disconnect();
    windows.clear();
  }
  return windows;
}

WindowId ActiveWindow() {
  Display* d = Connect();
  if (!d) return 0;
  WindowId active = 0;
  {
    ErrorTrap trap(d);
    if (HaveWindowManager(d)) {
      const auto value = Property(d, Root(d), S().atoms.activeWindow, XA_WINDOW);
      if (!value.empty()) active = value[0];
    } else {
      ::Window focus = 0;
      int revert = 0;
      XGetInputFocus(d, &focus, &revert);
      // Up to the child of the root, then down to its client.
      while (focus != None && focus != PointerRoot && focus != Root(d)) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, focus, &root, &parent, &children, &count)) {
          focus = None;
          break;
        }
        if (children) XFree(children);
        if (parent == root) break;
        focus = parent;
      }
      if (focus != None && focus != PointerRoot && focus != Root(d)) {
        const ::Window client = ClientOf(d, focus);
        active = client ? client : focus;
      }
    }
  }
  if (S().ioError) {
    Disconnect();
    return 0;
  }
  return active;
}

std::string WindowTitle(WindowId id, std::size_t limit) {
  Display* d = Connect();
  if (!d || id == 0) return {};
  std::string title;
  {
    ErrorTrap trap(d);
    title = TitleOf(d, id);
  }
  if (S().ioError) {
    Disconnect();
    return {};
  }
  return Cut(std::move(title), limit);
}

bool Act(WindowId id, Action action) {
  Display* d = Connect();
  if (!d || id == 0) return false;
  {
    ErrorTrap trap(d);
    const bool managed = HaveWindowManager(d);
    switch (action) {
      case Action::Close:
        Close(d, id, managed);
        break;
      case Action::Normal:
        if (managed) {
          SetMaximized(d, id, false);
          XMapWindow(d, id);
        }
        Activate(d, id, managed);
        break;
      case Action::Maximize:
        if (managed) {
          SetMaximized(d, id, true);
          XMapWindow(d, id);
        } else {
          XMoveResizeWindow(d, id, 0, 0, static_cast<unsigned>(DisplayWidth(d, DefaultScreen(d))),
                            static_cast<unsigned>(DisplayHeight(d, DefaultScreen(d))));
        }
        Activate(d, id, managed);
        break;
      case Action::Minimize:
        if (managed) {
          XIconifyWindow(d, id, DefaultScreen(d));
        } else {
          // No window manager keeps icons: the window is hidden and marked minimized, so
          // that it is still found and can be shown again.
          XUnmapWindow(d, id);
          SetIconicState(d, id, true);
        }
        break;
    }
  }
  if (S().ioError) {
    Disconnect();
    return false;
  }
  return true;
}

void SetConsoleWindow(WindowId id) { S().console = id; }
WindowId ConsoleWindow() { return S().console; }

void ResetDesktop() {
  Disconnect();
  S() = State{};
}

}  // namespace Desktop
