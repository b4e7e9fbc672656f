// Synthesized input on an X display through XTest: virtual keys become key symbols and the
// key codes of the current layout; a symbol the layout lacks is bound for the moment to a
// spare key code (and unbound afterwards), so any Windows-1252 character can be typed on
// any layout; Num Lock is flipped through XKB; the pointer moves and clicks through XTest.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/input/input.h"
#include "platform/events/keys.h"
#include "platform/events/messages.h"
#include "platform/desktop/x_connection.h"

namespace Input {
namespace {

// A bound key code must stay bound until the program that receives the key has read the
// event and looked the key code up: the client translates it when it handles the event.
constexpr int kBindingSettleMs = 60;

struct Binding {
  KeyCode code = 0;
  std::vector<KeySym> saved;  // the symbols it had before (all NoSymbol for a spare one)
  KeySym bound = NoSymbol;
  int64_t usedAtMs = 0;
};

struct State {
  XConnection x;
  bool hasXTest = false;
  std::vector<KeyCode> down;        // key codes this module holds down
  std::vector<Binding> bindings;    // spare key codes bound now
};

State& S() {
  static State state;
  return state;
}

Display* Connect() {
  State& s = S();
  const bool wasOpen = s.x.display != nullptr && !s.x.lost;
  Display* d = s.x.Get();
  if (!d) return nullptr;
  if (!wasOpen) {
    // A new connection: what was held belonged to the old one.
    s.down.clear();
    s.bindings.clear();
    int event = 0, error = 0, major = 0, minor = 0;
    s.hasXTest = XTestQueryExtension(d, &event, &error, &major, &minor);
    int opcode = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    XkbQueryExtension(d, &opcode, &event, &error, &xkbMajor, &xkbMinor);
    XTestGrabControl(d, True);  // synthesized events pass through another client's grab
  }
  return s.hasXTest ? d : nullptr;
}

// The core keyboard mapping, fetched fresh: the bindings change it under any cache.
struct Mapping {
  int min = 0, max = 0, per = 0;
  std::vector<KeySym> syms;
  KeySym At(int code, int index) const {
    if (code < min || code > max || index >= per) return NoSymbol;
    return syms[static_cast<std::size_t>((code - min) * per + index)];
  }
};

Mapping GetMapping(Display* d) {
  Mapping m;
  XDisplayKeycodes(d, &m.min, &m.max);
  KeySym* syms = XGetKeyboardMapping(d, static_cast<KeyCode>(m.min), m.max - m.min + 1, &m.per);
  if (syms) {
    m.syms.assign(syms, syms + (m.max - m.min + 1) * m.per);
    XFree(syms);
  } else {
    m.per = 0;
  }
  return m;
}

int CurrentGroup(Display* d) {
  XkbStateRec state{};
  if (XkbGetState(d, XkbUseCoreKbd, &state) != Success) return 0;
  return state.group;
}

// The two symbols of a key in a group, as the core protocol reads them (a lone letter
// gives its lower case plain and its upper case with Shift).
void Levels(const Mapping& m, int code, int group, KeySym& plain, KeySym& shifted) {
  plain = m.At(code, 2 * group);
  shifted = m.At(code, 2 * group + 1);
  if (plain == NoSymbol && shifted == NoSymbol && group > 0) {
    plain = m.At(code, 0);
    shifted = m.At(code, 1);
  }
  if (shifted == NoSymbol) {
    KeySym lower = NoSymbol, upper = NoSymbol;
    XConvertCase(plain, &lower, &upper);
    plain = lower;
    shifted = upper;
  }
}

// The key code typing `sym` in the current group and whether it needs Shift; 0 when the
// layout has no such key (bound spare codes count: they type their symbol at every level).
KeyCode FindKey(Display* d, const Mapping& m, KeySym sym, bool& shift) {
  const int group = CurrentGroup(d);
  for (int level = 0; level < 2; ++level)
    for (int code = m.min; code <= m.max; ++code) {
      KeySym plain, shifted;
      Levels(m, code, group, plain, shifted);
      if ((level == 0 ? plain : shifted) == sym) {
        shift = level == 1;
        return static_cast<KeyCode>(code);
      }
    }
  return 0;
}

bool Empty(const Mapping& m, int code) {
  for (int i = 0; i < m.per; ++i)
    if (m.At(code, i) != NoSymbol) return false;
  return true;
}

void Restore(Display* d, const Binding& b) {
  std::vector<KeySym> saved = b.saved;
  XChangeKeyboardMapping(d, b.code, static_cast<int>(saved.size()), saved.data(), 1);
}

// Binds `sym` to a spare key code (an empty one, else the oldest binding, else the last
// key code with its symbols saved) and returns it.
KeyCode Bind(Display* d, const Mapping& m, KeySym sym) {
  State& s = S();
  if (m.per == 0) return 0;
  for (Binding& b : s.bindings)
    if (b.bound == sym) return b.code;
  KeyCode code = 0;
  for (int c = m.max; c >= m.min && !code; --c) {
    const bool taken = std::any_of(s.bindings.begin(), s.bindings.end(), [&](const Binding& b) { return b.code == c; });
    if (!taken && Empty(m, c)) code = static_cast<KeyCode>(c);
  }
  Binding binding;
  if (!code && !s.bindings.empty()) {
    // Every spare code is in use: the one used longest ago is taken over, once the program
    // has had time to read its last key.
    auto oldest = std::min_element(s.bindings.begin(), s.bindings.end(),
                                   [](const Binding& a, const Binding& b) { return a.usedAtMs < b.usedAtMs; });
    const int64_t wait = oldest->usedAtMs + kBindingSettleMs - Messages::NowMs();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    binding = *oldest;
    s.bindings.erase(oldest);
    code = binding.code;
  } else if (!code) {
    code = static_cast<KeyCode>(m.max);
    binding.code = code;
    for (int i = 0; i < m.per; ++i) binding.saved.push_back(m.At(m.max, i));
  } else {
    binding.code = code;
    binding.saved.assign(static_cast<std::size_t>(m.per), NoSymbol);
  }
  std::vector<KeySym> syms(static_cast<std::size_t>(m.per), sym);
  XChangeKeyboardMapping(d, code, m.per, syms.data(), 1);
  XSync(d, False);
  binding.bound = sym;
  s.bindings.push_back(std::move(binding));
  return code;
}

void MarkUsed(KeyCode code) {
  for (Binding& b : S().bindings)
    if (b.code == code) b.usedAtMs = Messages::NowMs();
}

void Key(Display* d, KeyCode code, bool down) {
  State& s = S();
  XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
  auto it = std::find(s.down.begin(), s.down.end(), code);
  if (down && it == s.down.end()) s.down.push_back(code);
  if (!down && it != s.down.end()) s.down.erase(it);
  MarkUsed(code);
  XFlush(d);
}

// Unbinds every spare key code once no key is held and the programs had time to read the
// keys typed with them.
void Unbind(Display* d) {
  State& s = S();
  if (s.bindings.empty() || !s.down.empty()) return;
  int64_t last = 0;
  for (const Binding& b : s.bindings) last = std::max(last, b.usedAtMs);
  XSync(d, False);
  const int64_t wait = last + kBindingSettleMs - Messages::NowMs();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  XErrorTrap trap(d);
  for (const Binding& b : s.bindings) Restore(d, b);
  s.bindings.clear();
}

// Windows virtual-key codes and the X key symbols of the same keys.
KeySym VirtualKeySym(uint16_t vk) {
  if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
  if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
  if (vk >= Keys::VK_F1 && vk <= Keys::VK_F24) return XK_F1 + (vk - Keys::VK_F1);
  if (vk >= Keys::VK_NUMPAD0 && vk <= Keys::VK_NUMPAD9) return XK_KP_0 + (vk - Keys::VK_NUMPAD0);
  switch (vk) {
    case Keys::VK_CANCEL: return XK_Cancel;
    case Keys::VK_BACK: return XK_BackSpace;
    case Keys::VK_TAB: return XK_Tab;
    case Keys::VK_CLEAR: return XK_Clear;
    case Keys::VK_RETURN: return XK_Return;
    case Keys::VK_SHIFT: case Keys::VK_LSHIFT: return XK_Shift_L;
    case Keys::VK_RSHIFT: return XK_Shift_R;
    case Keys::VK_CONTROL: case Keys::VK_LCONTROL: return XK_Control_L;
    case Keys::VK_RCONTROL: return XK_Control_R;
    case Keys::VK_MENU: case Keys::VK_LMENU: return XK_Alt_L;
    case Keys::VK_RMENU: return XK_ISO_Level3_Shift;  // right Alt (AltGr)
    case Keys::VK_PAUSE: return XK_Pause;
    case Keys::VK_CAPITAL: return XK_Caps_Lock;
    case Keys::VK_ESCAPE: return XK_Escape;
    case Keys::VK_SPACE: return XK_space;
    case Keys::VK_PRIOR: return XK_Prior;
    case Keys::VK_NEXT: return XK_Next;
    case Keys::VK_END: return XK_End;
    case Keys::VK_HOME: return XK_Home;
    case Keys::VK_LEFT: return XK_Left;
    case Keys::VK_UP: return XK_Up;
    case Keys::VK_RIGHT: return XK_Right;
    case Keys::VK_DOWN: return XK_Down;
    case Keys::VK_SELECT: return XK_Select;
    case Keys::VK_PRINT: return XK_Print;
    case Keys::VK_EXECUTE: return XK_Execute;
    case Keys::VK_SNAPSHOT: return XK_Print;  // Print Screen
    case Keys::VK_INSERT: return XK_Insert;
    case Keys::VK_DELETE: return XK_Delete;
    case Keys::VK_HELP: return XK_Help;
    case Keys::VK_LWIN: return XK_Super_L;
    case Keys::VK_RWIN: return XK_Super_R;
    case Keys::VK_APPS: return XK_Menu;
    case Keys::VK_MULTIPLY: return XK_KP_Multiply;
    case Keys::VK_ADD: return XK_KP_Add;
    case Keys::VK_SEPARATOR: return XK_KP_Separator;
    case Keys::VK_SUBTRACT: return XK_KP_Subtract;
    case Keys::VK_DECIMAL: return XK_KP_Decimal;
    case Keys::VK_DIVIDE: return XK_KP_Divide;
    case Keys::VK_NUMLOCK: return XK_Num_Lock;
    case Keys::VK_SCROLL: return XK_Scroll_Lock;
    case Keys::VK_OEM_1: return XK_semicolon;
    case Keys::VK_OEM_PLUS: return XK_equal;
    case Keys::VK_OEM_COMMA: return XK_comma;
    case Keys::VK_OEM_MINUS: return XK_minus;
    case Keys::VK_OEM_PERIOD: return XK_period;
    case Keys::VK_OEM_2: return XK_slash;
    case Keys::VK_OEM_3: return XK_grave;
    case Keys::VK_OEM_4: return XK_bracketleft;
    case Keys::VK_OEM_5: return XK_backslash;
    case Keys::VK_OEM_6: return XK_bracketright;
    case Keys::VK_OEM_7: return XK_apostrophe;
    case Keys::VK_OEM_102: return XK_less;
    default: return NoSymbol;
  }
}

// The key symbol of a Windows-1252 character (Latin-1 symbols are the code points; others
// are the Unicode symbols), NoSymbol for control and undefined bytes.
KeySym CharacterSym(uint8_t c) {
  if (c == '\t') return XK_Tab;
  if (c == '\r' || c == '\n') return XK_Return;
  if (c < 32 || c == 127) return NoSymbol;
  const char32_t cp = Cp1252::ToUnicode(c);
  if (cp >= 0x80 && cp < 0xA0) return NoSymbol;  // undefined in Windows-1252
  if (cp < 0x100) return cp;
  return 0x01000000 | cp;
}

void ShiftKey(Display* d, const Mapping& m, bool down) {
  bool unused = false;
  const KeyCode shift = FindKey(d, m, XK_Shift_L, unused);
  if (shift) Key(d, shift, down);
}

}  // namespace

bool Available() { return Connect() != nullptr; }

bool VirtualKey(uint16_t vk, bool down) {
  Display* d = Connect();
  const KeySym sym = VirtualKeySym(vk);
  if (!d || sym == NoSymbol) return false;
  {
    XErrorTrap trap(d);
    const Mapping m = GetMapping(d);
    bool shift = false;
    KeyCode code = FindKey(d, m, sym, shift);
    if (!code && sym >= XK_a && sym <= XK_z) code = FindKey(d, m, sym - XK_a + XK_A, shift);
    if (!code) code = down ? Bind(d, m, sym) : 0;
    if (!code) {
      for (const Binding& b : S().bindings)
        if (b.bound == sym) code = b.code;
    }
    if (code) Key(d, code, down);
    if (!down) Unbind(d);
  }
  return true;
}

bool ToggleNumLock() {
  Display* d = Connect();
  if (!d) return false;
  const unsigned mask = XkbKeysymToModifiers(d, XK_Num_Lock);
  if (mask == 0) return VirtualKey(144, true) && VirtualKey(144, false);
  XkbStateRec state{};
  if (XkbGetState(d, XkbUseCoreKbd, &state) != Success) return false;
  const bool on = (state.locked_mods & mask) != 0;
  XkbLockModifiers(d, XkbUseCoreKbd, mask, on ? 0 : mask);
  XSync(d, False);
  return true;
}

bool PressPlainKey(uint8_t c) {
  Display* d = Connect();
  const KeySym sym = CharacterSym(c);
  if (!d || sym == NoSymbol) return false;
  XErrorTrap trap(d);
  const Mapping m = GetMapping(d);
  bool shift = false;
  const KeyCode code = FindKey(d, m, sym, shift);
  if (!code) return false;
  Key(d, code, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Key(d, code, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

bool TypeCharacter(uint8_t c) {
  Display* d = Connect();
  const KeySym sym = CharacterSym(c);
  if (!d || sym == NoSymbol) return false;
  XErrorTrap trap(d);
  const Mapping m = GetMapping(d);
  bool shift = false;
  KeyCode code = FindKey(d, m, sym, shift);
  if (!code) {
    code = Bind(d, m, sym);
    shift = false;
  }
  if (!code) return false;
  if (shift) ShiftKey(d, m, true);
  Key(d, code, true);
  Key(d, code, false);
  if (shift) ShiftKey(d, m, false);
  XSync(d, False);
  return true;
}

bool MovePointer(int64_t x, int64_t y) {
  Display* d = Connect();
  if (!d) return false;
  const int screen = DefaultScreen(d);
  const int64_t width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  x = std::clamp<int64_t>(x, 0, width - 1);
  y = std::clamp<int64_t>(y, 0, height - 1);
  XTestFakeMotionEvent(d, screen, static_cast<int>(x), static_cast<int>(y), CurrentTime);
  XSync(d, False);
  return true;
}

bool Click(int button, int count) {
  Display* d = Connect();
  if (!d) return false;
  for (int i = 0; i < count; ++i) {
    XTestFakeButtonEvent(d, static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(d, static_cast<unsigned>(button), False, CurrentTime);
  }
  XSync(d, False);
  return true;
}

bool PointerPosition(int& x, int& y) {
  x = y = 0;
  Display* d = Connect();
  if (!d) return false;
  ::Window root = 0, child = 0;
  int winX = 0, winY = 0;
  unsigned mask = 0;
  return XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &winX, &winY, &mask) == True;
}

void Settle() {
  State& s = S();
  if (s.x.display && !s.x.lost) Unbind(s.x.display);
}

void ResetInput() {
  State& s = S();
  if (s.x.display && !s.x.lost) {
    Display* d = s.x.display;
    {
      XErrorTrap trap(d);
      while (!s.down.empty()) Key(d, s.down.back(), false);
    }
    Unbind(d);
  }
  s.x.Close();
  s.down.clear();
  s.bindings.clear();
  s.hasXTest = false;
}

}  // namespace Input
