// The X CLIPBOARD selection for the console devices that have no clipboard of their own:
// a hidden window of ours owns it and answers TARGETS, UTF8_STRING, STRING and TEXT
// requests from the event loop; reading converts the selection into a property of that
// window and waits for the owner's answer, serving requests meanwhile.
#include "platform/desktop/x_clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/desktop/x_connection.h"

namespace XClipboard {
namespace {

struct State {
  XConnection x;
  ::Window window = 0;
  Atom clipboard = None, targets = None, utf8 = None, text = None, property = None, incr = None;
  bool owned = false;
  std::string utf8Text;  // what we serve
  int source = -1;
};

State& S() {
  static State state;
  return state;
}

std::string ToDisplay(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain.push_back(text[i]);
  return Cp1252::ToUtf8(plain);
}

std::string FromDisplay(std::string_view utf8, bool latin1) {
  std::string text;
  if (latin1) text.assign(utf8);  // STRING is Latin-1, a subset of Windows-1252 here
  else text = Cp1252::FromUtf8(utf8);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

void Answer(Display* d, const XSelectionRequestEvent& request) {
  State& s = S();
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  // Old clients name no property: the target is the property then.
  const Atom property = request.property != None ? request.property : request.target;
  reply.property = None;
  if (s.owned && request.selection == s.clipboard) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.utf8Text.data());
    const int length = static_cast<int>(s.utf8Text.size());
    if (request.target == s.targets) {
      const Atom offered[] = {s.targets, s.utf8, XA_STRING, s.text};
      XChangeProperty(d, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 4);
      reply.property = property;
    } else if (request.target == s.utf8 || request.target == s.text) {
      XChangeProperty(d, request.requestor, property, s.utf8, 8, PropModeReplace, bytes, length);
      reply.property = property;
    } else if (request.target == XA_STRING) {
      // Latin-1: characters beyond it become "?".
      std::string latin1;
      const std::string text = Cp1252::FromUtf8(s.utf8Text);
      for (char c : text) {
        const char32_t cp = Cp1252::ToUnicode(static_cast<uint8_t>(c));
        latin1.push_back(cp < 0x100 ? static_cast<char>(cp) : '?');
      }
      XChangeProperty(d, request.requestor, property, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
      reply.property = property;
    }
  }
  XSendEvent(d, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

// Handles one event of our window; true when it was the answer to a read.
bool Handle(Display* d, XEvent& event, XSelectionEvent* answer) {
  State& s = S();
  switch (event.type) {
    case SelectionRequest:
      Answer(d, event.xselectionrequest);
      return false;
    case SelectionClear:
      if (event.xselectionclear.selection == s.clipboard) s.owned = false;
      return false;
    case SelectionNotify:
      if (answer) *answer = event.xselection;
      return answer != nullptr;
    default:
      return false;
  }
}

void Drain() {
  Display* d = S().x.display;
  if (!d || S().x.lost) return;
  XErrorTrap trap(d);
  while (XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    Handle(d, event, nullptr);
  }
}

Display* Connect() {
  State& s = S();
  const bool wasOpen = s.x.display && !s.x.lost;
  Display* d = s.x.Get();
  if (!d) {
    s.owned = false;
    return nullptr;
  }
  if (!wasOpen) {
    s.owned = false;
    s.window = XCreateSimpleWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(d, s.window, PropertyChangeMask);
    s.clipboard = XInternAtom(d, "CLIPBOARD", False);
    s.targets = XInternAtom(d, "TARGETS", False);
    s.utf8 = XInternAtom(d, "UTF8_STRING", False);
    s.text = XInternAtom(d, "TEXT", False);
    s.property = XInternAtom(d, "FONIX_CLIPBOARD", False);
    s.incr = XInternAtom(d, "INCR", False);
    if (s.source >= 0) Messages::RemoveSource(s.source);
    Messages::Source source;
    source.fd = [] { return S().x.display && !S().x.lost ? ConnectionNumber(S().x.display) : -1; };
    source.dueInMs = [] { return S().x.display && !S().x.lost && XQLength(S().x.display) > 0 ? 0 : -1; };
    source.drain = Drain;
    s.source = Messages::AddSource(std::move(source));
  }
  return d;
}

}  // namespace

bool Own(std::string_view text) {
  State& s = S();
  Display* d = Connect();
  if (!d) return false;
  s.utf8Text = ToDisplay(text);
  XSetSelectionOwner(d, s.clipboard, s.window, CurrentTime);
  s.owned = XGetSelectionOwner(d, s.clipboard) == s.window;
  XFlush(d);
  return s.owned;
}

bool Owned() { return S().owned && S().x.display && !S().x.lost; }

bool Read(std::string& text, int timeoutMs) {
  State& s = S();
  text.clear();
  Display* d = Connect();
  if (!d) return false;
  Drain();
  if (s.owned) {
    text = FromDisplay(s.utf8Text, false);
    return true;
  }
  if (XGetSelectionOwner(d, s.clipboard) == None) return false;
  for (const Atom target : {s.utf8, static_cast<Atom>(XA_STRING)}) {
    XDeleteProperty(d, s.window, s.property);
    XConvertSelection(d, s.clipboard, target, s.property, s.window, CurrentTime);
    XFlush(d);
    XSelectionEvent answer{};
    bool answered = false;
    const int64_t until = Messages::NowMs() + timeoutMs;
    while (!answered && !s.x.lost) {
      while (!answered && XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        answered = Handle(d, event, &answer) && answer.selection == s.clipboard;
      }
      const int64_t left = until - Messages::NowMs();
      if (answered || left <= 0) break;
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, static_cast<int>(left));
    }
    if (!answered) return false;  // the owner does not answer
    if (answer.property == None) continue;  // not offered in this form
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    bool ok = false;
    if (XGetWindowProperty(d, s.window, s.property, 0, 1 << 22, True, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 8 && type != s.incr) {
      bytes.assign(reinterpret_cast<const char*>(data), count);
      ok = true;
    }
    if (data) XFree(data);
    if (!ok) return false;  // a transfer in pieces: a clipboard larger than we take
    text = FromDisplay(bytes, target == XA_STRING);
    return true;
  }
  return false;
}

void ResetXClipboard() {
  State& s = S();
  if (s.source >= 0) Messages::RemoveSource(s.source);
  s.x.Close();
  s.window = 0;
  s.owned = false;
  s.utf8Text.clear();
  s.source = -1;
}

}  // namespace XClipboard
