// Turns the byte stream of a terminal into key presses and mouse events. Sequences may
// arrive split over several reads: an unfinished one is held back until its end arrives
// or the escape wait runs out. Whatever the bytes, each is decoded or dropped.
#include "platform/terminal/terminal_input.h"

#include <array>

#include "platform/text/cp1252.h"
#include "platform/events/keys.h"

namespace TerminalInput {
namespace {

using Keys::kAlt;
using Keys::kCtrl;
using Keys::kShift;

// Longest control sequence taken seriously; a longer one is noise and is dropped.
constexpr std::size_t kMaxSequence = 40;

// One decoded unit: how many bytes it used (0: incomplete, more bytes are needed).
struct Unit {
  std::size_t used = 0;
};

Event KeyEvent(uint16_t vk, uint8_t ch, uint8_t mods) {
  Event e;
  e.key.vk = vk;
  e.key.ch = ch;
  e.key.mods = mods;
  e.mods = mods;
  return e;
}

// A character typed, with the modifiers of the sequence that carried it.
Event CharEvent(uint8_t ch, uint8_t mods) {
  Event e;
  e.key = KeyScript::CharacterItem(ch);
  if ((mods & kShift) && ch >= 'a' && ch <= 'z') e.key = KeyScript::CharacterItem(static_cast<uint8_t>(ch - 32));
  e.key.mods |= mods;
  e.mods = e.key.mods;
  return e;
}

// Control bytes: what a PC keyboard key sends through a terminal.
Event ControlEvent(uint8_t c, bool lineFeedIsEnter, uint8_t eraseByte = 0) {
  switch (c) {
    case 0: return KeyEvent(Keys::VK_SPACE, ' ', kCtrl);
    case 8:
    case 127: return KeyEvent(Keys::VK_BACK, 8, eraseByte != 0 && c != eraseByte ? kCtrl : 0);
    case 9: return KeyEvent(Keys::VK_TAB, 9, 0);
    case 10: return lineFeedIsEnter ? KeyEvent(Keys::VK_RETURN, 13, 0) : KeyEvent(Keys::VK_RETURN, 13, kCtrl);
    case 13: return KeyEvent(Keys::VK_RETURN, 13, 0);
    case 27: return KeyEvent(Keys::VK_ESCAPE, 27, 0);
    // Ctrl+\ stands for Ctrl+Break, which no terminal sends.
    case 28: return KeyEvent(Keys::VK_CANCEL, 0, kCtrl);
    default: break;
  }
  if (c >= 1 && c <= 26) return KeyEvent(static_cast<uint16_t>('A' + c - 1), static_cast<uint8_t>('a' + c - 1), kCtrl);
  Event e = KeyEvent(0, 0, kCtrl);  // 29..31: Ctrl+], Ctrl+^, Ctrl+_
  // Ctrl+\ is taken for Ctrl+Break, so Ctrl+] stands in for it and types 28.
  e.rawChar = c == 29 ? 28 : c;
  return e;
}

// xterm's modifier parameter: 1 + (Shift 1, Alt 2, Ctrl 4, Meta 8).
uint8_t ModsOfParam(int param) {
  if (param < 2 || param > 16) return 0;
  const int bits = param - 1;
  uint8_t mods = 0;
  if (bits & 1) mods |= kShift;
  if (bits & (2 | 8)) mods |= kAlt;
  if (bits & 4) mods |= kCtrl;
  return mods;
}

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// One UTF-8 character at s[i] as its Windows-1252 byte ('?' when malformed or missing).
Unit DecodeText(std::string_view s, std::size_t i, bool settle, uint8_t& byte) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  byte = '?';
  const std::size_t len = b0 >= 0xC2 && b0 <= 0xDF ? 2 : b0 >= 0xE0 && b0 <= 0xEF ? 3 : b0 >= 0xF0 && b0 <= 0xF4 ? 4 : 0;
  if (len == 0) return {1};
  for (std::size_t k = 1; k < len; ++k) {
    if (i + k >= s.size()) return {settle ? k : 0};
    if (!IsContinuation(static_cast<uint8_t>(s[i + k]))) return {k};  // the byte starts anew
  }
  char32_t cp = 0;
  if (Cp1252::DecodeUtf8(s, i, cp) == len) {
    const int b = Cp1252::FromUnicode(cp);
    if (b >= 0) byte = static_cast<uint8_t>(b);
  }
  return {len};
}

// A key named by the number of a "CSI n ~" sequence.
uint16_t TildeKey(int n) {
  switch (n) {
    case 1: case 7: return Keys::VK_HOME;
    case 2: return Keys::VK_INSERT;
    case 3: return Keys::VK_DELETE;
    case 4: case 8: return Keys::VK_END;
    case 5: return Keys::VK_PRIOR;
    case 6: return Keys::VK_NEXT;
    case 11: case 12: case 13: case 14: case 15: return static_cast<uint16_t>(Keys::VK_F1 + n - 11);
    case 17: case 18: case 19: case 20: case 21: return static_cast<uint16_t>(Keys::VK_F1 + 5 + n - 17);
    case 23: return Keys::VK_F11;
    case 24: return Keys::VK_F12;
    default: return 0;
  }
}

// Arrows, Home/End and F1..F4 by the final letter of a CSI or SS3 sequence.
uint16_t LetterKey(char final) {
  switch (final) {
    case 'A': return Keys::VK_UP;
    case 'B': return Keys::VK_DOWN;
    case 'C': return Keys::VK_RIGHT;
    case 'D': return Keys::VK_LEFT;
    case 'H': return Keys::VK_HOME;
    case 'F': return Keys::VK_END;
    case 'P': case 'Q': case 'R': case 'S': return static_cast<uint16_t>(Keys::VK_F1 + final - 'P');
    default: return 0;
  }
}

// A key given by its character code (modifyOtherKeys "CSI 27;m;c~" and "CSI c;m u").
void CodeKey(int code, uint8_t mods, std::vector<Event>& out) {
  if (code == 13 || code == 9 || code == 27 || code == 8 || code == 127) {
    Event e = ControlEvent(static_cast<uint8_t>(code), false);
    e.key.mods = e.mods = mods;
    out.push_back(e);
  } else if (code >= 32 && code != 127) {
    const int b = Cp1252::FromUnicode(static_cast<char32_t>(code));
    out.push_back(CharEvent(b >= 32 ? static_cast<uint8_t>(b) : '?', mods));
  }
}

// A mouse report: button bits as xterm sends them (SGR and the older byte form alike).
void MouseReport(int b, bool press, std::vector<Event>& out) {
  Event e;
  if (b & 4) e.mods |= kShift;
  if (b & 8) e.mods |= kAlt;
  if (b & 16) e.mods |= kCtrl;
  if (b & 64) {
    if (!press || (b & 3) > 1) return;  // horizontal wheels have no key
    e.type = Event::Type::MouseWheel;
    e.value = (b & 3) == 0 ? 120 : -120;
  } else {
    if (!press || (b & 32) || (b & 3) == 3) return;  // releases and motion
    static constexpr int kButton[3] = {0, 2, 1};     // left, middle, right
    e.type = Event::Type::MouseDown;
    e.value = kButton[b & 3];
  }
  out.push_back(e);
}

struct Params {
  std::array<int, 4> v{};
  int count = 0;
  char marker = 0;  // a private marker in front ('<', '?', '>', '=')
};

Params ParseParams(std::string_view body) {
  Params p;
  std::size_t i = 0;
  if (!body.empty() && body[0] >= '<' && body[0] <= '?') p.marker = body[i++];
  if (i == body.size()) return p;
  p.count = 1;
  bool sub = false;  // after ':' a parameter's alternatives follow; only the first counts
  for (; i < body.size(); ++i) {
    const char c = body[i];
    if (c == ';') {
      sub = false;
      if (p.count < static_cast<int>(p.v.size())) ++p.count;
      else break;
    } else if (c == ':') {
      sub = true;
    } else if (c >= '0' && c <= '9' && !sub) {
      int& n = p.v[static_cast<std::size_t>(p.count - 1)];
      if (n < 100000) n = n * 10 + (c - '0');
    }
  }
  return p;
}

// The complete CSI sequence with parameter text `body` and final byte `final`.
void DispatchCsi(std::string_view body, char final, std::vector<Event>& out) {
  const Params p = ParseParams(body);
  if (p.marker == '<') {
    if ((final == 'M' || final == 'm') && p.count == 3) MouseReport(p.v[0], final == 'M', out);
    return;
  }
  if (p.marker != 0) return;
  const uint8_t mods = p.count >= 2 ? ModsOfParam(p.v[1]) : 0;
  if (final == '~') {
    if (p.v[0] == 27 && p.count >= 3) return CodeKey(p.v[2], ModsOfParam(p.v[1]), out);
    if (const uint16_t vk = TildeKey(p.v[0])) out.push_back(KeyEvent(vk, 0, mods));
    return;
  }
  if (final == 'u' && p.count >= 1) return CodeKey(p.v[0], mods, out);
  if (final == 'Z') return out.push_back(KeyEvent(Keys::VK_TAB, 9, static_cast<uint8_t>(mods | kShift)));
  if (body.empty() && (final == 'I' || final == 'O')) {
    Event e;
    e.type = Event::Type::Focus;
    e.value = final == 'I' ? 1 : 0;
    return out.push_back(e);
  }
  // "CSI 1;m X" carries modifiers; another first number (a cursor report) is no key.
  if (p.count >= 1 && p.v[0] != 1) return;
  if (const uint16_t vk = LetterKey(final)) out.push_back(KeyEvent(vk, 0, mods));
}

struct Options {
  bool lineFeedIsEnter = false;
  uint8_t eraseByte = 0;
};

Unit DecodeOne(std::string_view s, bool settle, const Options& options, std::vector<Event>& out);

// "ESC [" at s[0]: a control sequence, a mouse report or the Linux console's F1..F5.
Unit DecodeCsi(std::string_view s, bool settle, std::vector<Event>& out) {
  std::size_t i = 2;
  while (i < s.size() && i < kMaxSequence) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b >= 0x40 && b <= 0x7E) break;
    if (b < 0x20 || b > 0x3F) return {i};  // not a sequence after all: dropped, the byte starts anew
    ++i;
  }
  if (i >= kMaxSequence) return {i};
  if (i == s.size()) {
    if (!settle) return {0};
    if (s.size() == 2) out.push_back(CharEvent('[', kAlt));  // Alt+[ typed on its own
    return {s.size()};
  }
  const char final = s[i];
  const std::string_view body = s.substr(2, i - 2);
  if (body.empty() && final == '[') {  // ESC [ [ A..E
    if (i + 1 >= s.size()) return {settle ? s.size() : 0};
    const char f = s[i + 1];
    if (f >= 'A' && f <= 'E') out.push_back(KeyEvent(static_cast<uint16_t>(Keys::VK_F1 + f - 'A'), 0, 0));
    return {i + 2};
  }
  if (body.empty() && final == 'M') {  // ESC [ M b x y: the byte form of a mouse report
    if (i + 3 >= s.size()) return {settle ? s.size() : 0};
    MouseReport(static_cast<uint8_t>(s[i + 1]) - 32, (static_cast<uint8_t>(s[i + 1]) & 3) != 3, out);
    return {i + 4};
  }
  DispatchCsi(body, final, out);
  return {i + 1};
}

// "ESC O" at s[0]: the application-mode forms of arrows, Home/End and F1..F4.
Unit DecodeSs3(std::string_view s, bool settle, std::vector<Event>& out) {
  std::size_t i = 2;
  while (i < s.size() && i < 6 && s[i] >= '0' && s[i] <= '9') ++i;
  if (i == s.size()) {
    if (!settle) return {0};
    if (s.size() == 2) out.push_back(CharEvent('O', kAlt | kShift));
    return {s.size()};
  }
  const char final = s[i];
  if (static_cast<uint8_t>(final) < 0x40 || static_cast<uint8_t>(final) > 0x7E) {
    out.push_back(CharEvent('O', kAlt | kShift));
    return {2};
  }
  const uint8_t mods = i > 2 ? ModsOfParam(s[i - 1] - '0') : 0;
  if (final == 'M') out.push_back(KeyEvent(Keys::VK_RETURN, 13, mods));
  else if (const uint16_t vk = LetterKey(final)) out.push_back(KeyEvent(vk, 0, mods));
  return {i + 1};
}

// An escape byte at s[0]: a sequence, Alt with the next key, or the Esc key itself.
// Keys that came after an ESC are keys typed with Alt.
void AppendWithAlt(std::vector<Event>& inner, std::vector<Event>& out) {
  for (Event& e : inner) {
    e.mods |= kAlt;
    e.key.mods |= kAlt;
    out.push_back(e);
  }
}

Unit DecodeEscape(std::string_view s, bool settle, const Options& options, std::vector<Event>& out) {
  if (s.size() == 1) {
    if (!settle) return {0};
    out.push_back(ControlEvent(27, false));
    return {1};
  }
  const auto next = static_cast<uint8_t>(s[1]);
  if (next == '[') return DecodeCsi(s, settle, out);
  if (next == 'O') return DecodeSs3(s, settle, out);
  if (next == 27) {
    // ESC ESC [ ... is a key with Alt (some terminals send Alt+arrow so).
    if (s.size() == 2 && !settle) return {0};
    if (s.size() >= 3 && (s[2] == '[' || s[2] == 'O')) {
      std::vector<Event> inner;
      const Unit u = DecodeEscape(s.substr(1), settle, options, inner);
      if (u.used == 0) return {0};
      AppendWithAlt(inner, out);
      return {u.used + 1};
    }
    out.push_back(ControlEvent(27, false));
    return {1};
  }
  std::vector<Event> inner;
  const Unit u = DecodeOne(s.substr(1), settle, options, inner);
  if (u.used == 0) return {0};
  AppendWithAlt(inner, out);
  return {u.used + 1};
}

Unit DecodeOne(std::string_view s, bool settle, const Options& options, std::vector<Event>& out) {
  const auto b = static_cast<uint8_t>(s[0]);
  if (b == 27) return DecodeEscape(s, settle, options, out);
  if (b < 32 || b == 127) {
    out.push_back(ControlEvent(b, options.lineFeedIsEnter, options.eraseByte));
    return {1};
  }
  if (b < 128) {
    out.push_back(CharEvent(b, 0));
    return {1};
  }
  uint8_t byte = '?';
  const Unit u = DecodeText(s, 0, settle, byte);
  if (u.used > 0) out.push_back(CharEvent(byte, 0));
  return u;
}

// Keys a terminal cannot send, typed with a stand-in: Alt with F9, Page Up or Page Down is
// read as Ctrl+Alt with that key (Ctrl+Alt+F-keys switch the system's consoles, and
// terminals keep Ctrl+Page Up/Down for their tabs).
void StandIns(Event& e) {
  const uint16_t vk = e.key.vk;
  if (e.type == Event::Type::Key && (e.mods & kAlt) && !(e.mods & kCtrl) &&
      (vk == Keys::VK_F1 + 8 || vk == Keys::VK_PRIOR || vk == Keys::VK_NEXT)) {
    e.mods |= kCtrl;
    e.key.mods |= kCtrl;
  }
}

void Run(Decoder& decoder, bool settle, std::vector<Event>& out) {
  std::string_view s = decoder.held;
  const Options options{decoder.lineFeedIsEnter, decoder.eraseByte};
  const std::size_t before = out.size();
  std::size_t i = 0;
  while (i < s.size()) {
    const Unit u = DecodeOne(s.substr(i), settle, options, out);
    if (u.used == 0) break;
    i += u.used;
  }
  for (std::size_t k = before; k < out.size(); ++k) StandIns(out[k]);
  decoder.held.erase(0, i);
}

}  // namespace

void Feed(Decoder& decoder, std::string_view bytes, std::vector<Event>& out) {
  decoder.held.append(bytes);
  Run(decoder, false, out);
}

bool Waiting(const Decoder& decoder) { return !decoder.held.empty(); }

void Settle(Decoder& decoder, std::vector<Event>& out) { Run(decoder, true, out); }

bool MakesKey(const Event& event) { return event.type != Event::Type::Focus; }

std::vector<Messages::Message> ToMessages(const Event& event) {
  using Messages::Kind;
  Messages::Message m;
  m.mods = event.mods;
  switch (event.type) {
    case Event::Type::MouseDown:
    case Event::Type::MouseWheel:
      m.kind = event.type == Event::Type::MouseDown ? Kind::MouseDown : Kind::MouseWheel;
      m.value = event.value;
      return {m};
    case Event::Type::Focus:
      m.kind = Kind::Focus;
      m.value = event.value;
      m.mods = 0;  // a terminal does not say which buttons are held
      return {m};
    case Event::Type::Key:
      break;
  }
  const bool alt = event.mods & kAlt, ctrl = event.mods & kCtrl;
  if (event.rawChar != 0) {
    std::vector<Messages::Message> out;
    m.kind = alt && !ctrl ? Kind::SysKeyDown : Kind::KeyDown;
    out.push_back(m);
    if (!alt) {
      Messages::Message c = m;
      c.kind = Kind::Char;
      c.ch = event.rawChar;
      out.push_back(c);
    }
    m.kind = alt && !ctrl ? Kind::SysKeyUp : Kind::KeyUp;
    out.push_back(m);
    return out;
  }
  std::vector<Messages::Message> out = KeyScript::ToMessages(event.key);
  // Alt+F4 closes the console, as the window system does with its window.
  if (event.key.vk == Keys::VK_F1 + 3 && alt && !ctrl) {
    m.kind = Kind::Close;
    out.push_back(m);
  }
  return out;
}

}  // namespace TerminalInput
