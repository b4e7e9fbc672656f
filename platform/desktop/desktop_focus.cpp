// Window frames and the focused window on an X display.
#include "platform/desktop/desktop_focus.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "platform/text/cp1252.h"
#include "platform/desktop/x_connection.h"

namespace DesktopFocus {
namespace {

XConnection& X() {
  static XConnection connection;
  return connection;
}

std::string NameOf(Display* d, ::Window w) {
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(d, w, netName, 0, 4096, False, utf8, &type, &format, &count, &after, &data) == Success &&
      data && type == utf8 && format == 8)
    name = Cp1252::FromUtf8(std::string(reinterpret_cast<const char*>(data), count));
  if (data) XFree(data);
  if (!name.empty()) return name;
  XTextProperty property{};
  if (!XGetWMName(d, w, &property) || !property.value) return {};
  if (property.encoding == XA_STRING && property.format == 8) {
    name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
  } else {
    char** list = nullptr;
    int n = 0;
    if (Xutf8TextPropertyToTextList(d, &property, &list, &n) >= Success && list) {
      if (n > 0 && list[0]) name = Cp1252::FromUtf8(list[0]);
      XFreeStringList(list);
    }
  }
  XFree(property.value);
  return name;
}

}  // namespace

bool OuterFrame(Desktop::WindowId id, Frame& frame) {
  frame = Frame{};
  Display* d = X().Get();
  if (!d || id == 0) return false;
  XErrorTrap trap(d);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(d, id, &attributes)) return false;
  int x = 0, y = 0;
  ::Window child = 0;
  if (!XTranslateCoordinates(d, id, DefaultRootWindow(d), 0, 0, &x, &y, &child)) return false;
  long extents[4] = {0, 0, 0, 0};  // left, right, top, bottom
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, id, XInternAtom(d, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 32 && count == 4) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    for (int i = 0; i < 4; ++i) extents[i] = static_cast<long>(values[i]);
  }
  if (data) XFree(data);
  frame.left = x - extents[0];
  frame.top = y - extents[2];
  frame.width = attributes.width + extents[0] + extents[1];
  frame.height = attributes.height + extents[2] + extents[3];
  frame.borderLeft = extents[0];
  return true;
}

std::string FocusedWindowName(std::size_t limit) {
  Display* d = X().Get();
  if (!d) return {};
  XErrorTrap trap(d);
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  std::string name;
  const ::Window root = DefaultRootWindow(d);
  // With no window left to focus the window manager keeps the focus on its own hidden
  // window: no program's window holds it.
  {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window manager = 0;
    if (XGetWindowProperty(d, root, XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1)
      manager = *reinterpret_cast<const unsigned long*>(data);
    if (data) XFree(data);
    if (manager != 0 && focus == manager) return {};
  }
  for (int depth = 0; depth < 32 && focus != None && focus != PointerRoot && focus != root && name.empty(); ++depth) {
    name = NameOf(d, focus);
    ::Window r = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, focus, &r, &parent, &children, &n)) break;
    if (children) XFree(children);
    focus = parent;
  }
  if (name.size() > limit) name.resize(limit);
  return name;
}

void ResetDesktopFocus() { X().Close(); }

}  // namespace DesktopFocus
