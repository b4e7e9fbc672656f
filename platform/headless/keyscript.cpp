// Parses FONIX_KEYS and produces, for each key, the messages a Windows keyboard would send.
#include "platform/headless/keyscript.h"

#include <cctype>
#include <charconv>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/events/keys.h"

namespace KeyScript {
namespace {

struct Named {
  const char* name;
  uint16_t vk;
  uint8_t ch;
};

constexpr Named kNamed[] = {
    {"ENTER", Keys::VK_RETURN, 13}, {"ESC", Keys::VK_ESCAPE, 27}, {"TAB", Keys::VK_TAB, 9},
    {"BACKSPACE", Keys::VK_BACK, 8}, {"SPACE", Keys::VK_SPACE, 32}, {"UP", Keys::VK_UP, 0},
    {"DOWN", Keys::VK_DOWN, 0}, {"LEFT", Keys::VK_LEFT, 0}, {"RIGHT", Keys::VK_RIGHT, 0},
    {"HOME", Keys::VK_HOME, 0}, {"END", Keys::VK_END, 0}, {"PGUP", Keys::VK_PRIOR, 0},
    {"PGDN", Keys::VK_NEXT, 0}, {"INS", Keys::VK_INSERT, 0}, {"DEL", Keys::VK_DELETE, 0},
    {"BREAK", Keys::VK_CANCEL, 0},
};

uint16_t VkOfChar(uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(c - 32);
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  return 0;
}

bool IsCapital(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7); }

// A key name inside braces, without modifiers: a named key, F1..F12 or one character.
bool ParseKeyName(std::string_view name, Item& item) {
  const std::string up = TextKit::AsciiUpperText(name);
  for (const Named& n : kNamed)
    if (up == n.name) {
      item.vk = n.vk;
      item.ch = n.ch;
      return true;
    }
  if (up.size() >= 2 && up[0] == 'F') {
    int f = 0;
    auto [p, ec] = std::from_chars(up.data() + 1, up.data() + up.size(), f);
    if (ec == std::errc() && p == up.data() + up.size() && f >= 1 && f <= 12) {
      item.vk = static_cast<uint16_t>(Keys::VK_F1 + f - 1);
      item.ch = 0;
      return true;
    }
  }
  const std::string one = Cp1252::FromUtf8(name);
  if (one.size() == 1) {
    item = CharacterItem(static_cast<uint8_t>(one[0]));
    item.mods = 0;
    return true;
  }
  return false;
}

// {UNTIL text} gives up after this long, so that a run whose text never comes still ends.
constexpr int kUntilLongestMs = 90000;

bool ParseBraced(std::string_view body, std::vector<Item>& items, std::string& error) {
  const std::string up = TextKit::AsciiUpperText(body);
  if (up.rfind("WAIT ", 0) == 0) {
    int ms = 0;
    std::string_view digits = std::string_view(body).substr(5);
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), ms);
    if (ec != std::errc() || p != digits.data() + digits.size() || ms < 0) {
      error = "tempo de espera inválido em {" + std::string(body) + "}";
      return false;
    }
    Item w;
    w.type = Item::Type::Wait;
    w.waitMs = ms;
    items.push_back(w);
    return true;
  }
  if (up.rfind("UNTIL ", 0) == 0 && body.size() > 6) {
    Item u;
    u.type = Item::Type::Until;
    u.waitMs = kUntilLongestMs;
    u.text.assign(body.substr(6));
    items.push_back(u);
    return true;
  }
  Item item;
  std::string_view rest = body;
  if (up.rfind("DOWN:", 0) == 0 || up.rfind("UP:", 0) == 0) {
    const bool down = up[0] == 'D';
    item.type = down ? Item::Type::Down : Item::Type::Up;
    rest.remove_prefix(down ? 5 : 3);
  }
  uint8_t mods = 0;
  for (;;) {
    const std::string r = TextKit::AsciiUpperText(rest);
    if (r.rfind("CTRL+", 0) == 0 && r.size() > 5) { mods |= Keys::kCtrl; rest.remove_prefix(5); }
    else if (r.rfind("SHIFT+", 0) == 0 && r.size() > 6) { mods |= Keys::kShift; rest.remove_prefix(6); }
    else if (r.rfind("ALT+", 0) == 0 && r.size() > 4) { mods |= Keys::kAlt; rest.remove_prefix(4); }
    else break;
  }
  const Item::Type type = item.type;
  if (!ParseKeyName(rest, item)) {
    error = "tecla desconhecida: {" + std::string(body) + "}";
    return false;
  }
  item.type = type;
  item.mods |= mods;
  if ((mods & Keys::kShift) && item.ch >= 'a' && item.ch <= 'z') item.ch = static_cast<uint8_t>(item.ch - 32);
  items.push_back(item);
  return true;
}

}  // namespace

Item CharacterItem(uint8_t ch) {
  Item item;
  item.vk = VkOfChar(ch);
  item.ch = ch;
  item.mods = IsCapital(ch) ? Keys::kShift : 0;
  if (ch == 13) item.vk = Keys::VK_RETURN;
  if (ch == 8) item.vk = Keys::VK_BACK;
  if (ch == 9) item.vk = Keys::VK_TAB;
  if (ch == 27) item.vk = Keys::VK_ESCAPE;
  return item;
}

bool Parse(std::string_view script, std::vector<Item>& items, std::string& error) {
  items.clear();
  for (std::size_t i = 0; i < script.size();) {
    if (script[i] == '{') {
      if (i + 1 < script.size() && script[i + 1] == '{') {
        items.push_back(CharacterItem('{'));
        i += 2;
        continue;
      }
      const std::size_t close = script.find('}', i + 1);
      if (close == std::string_view::npos || close == i + 1) {
        error = "chave sem fechamento na sequência de teclas";
        return false;
      }
      if (!ParseBraced(script.substr(i + 1, close - i - 1), items, error)) return false;
      i = close + 1;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = Cp1252::DecodeUtf8(script, i, cp);
    std::string one;
    if (len == 0) {
      one.assign(1, script[i]);
      len = 1;
    } else {
      one = Cp1252::FromUtf8(script.substr(i, len));
    }
    items.push_back(CharacterItem(static_cast<uint8_t>(one[0])));
    i += len;
  }
  return true;
}

std::vector<Messages::Message> ToMessages(const Item& item) {
  using Messages::Kind;
  using Messages::Message;
  std::vector<Message> out;
  const bool ctrl = item.mods & Keys::kCtrl;
  const bool alt = item.mods & Keys::kAlt;
  // Alt without Ctrl, and F10 without Ctrl, are system keys.
  const bool system = (alt && !ctrl) || (item.vk == Keys::VK_F10 && !ctrl);
  uint8_t ch = item.ch;
  if (alt) ch = 0;
  else if (ctrl && ch != 0) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<uint8_t>(ch - 96);
    else if (ch >= 'A' && ch <= 'Z') ch = static_cast<uint8_t>(ch - 64);
    else if (ch == '[' || ch == '\\' || ch == ']') ch = static_cast<uint8_t>(ch - 64);  // 27, 28, 29
    else if (ch != 13 && ch != 8 && ch != 27 && ch != 32) ch = 0;
  }
  Message m;
  m.vk = item.vk;
  m.mods = item.mods;
  if (item.type == Item::Type::Press || item.type == Item::Type::Down) {
    m.kind = system ? Kind::SysKeyDown : Kind::KeyDown;
    out.push_back(m);
    if (ch != 0 && item.type == Item::Type::Press) {
      Message c = m;
      c.kind = Kind::Char;
      c.ch = ch;
      out.push_back(c);
    }
  }
  if (item.type == Item::Type::Press || item.type == Item::Type::Up) {
    m.kind = system ? Kind::SysKeyUp : Kind::KeyUp;
    out.push_back(m);
  }
  return out;
}

}  // namespace KeyScript
