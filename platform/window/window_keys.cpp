// Translation of the console window's SDL input events into Windows-like key messages.
#include "platform/window/window_keys.h"

#include "platform/text/cp1252.h"
#include "platform/events/keys.h"

namespace WindowKeys {
namespace {

struct State {
  // The modifiers of the last key pressed: the text that key gives is judged by them, not by
  // what is held when the text event is read.
  uint8_t lastDownMods = 0;
  bool lastDownAltGr = false;
};

State& S() {
  static State state;
  return state;
}

struct Named {
  SDL_Keycode key;
  uint16_t vk;
};

constexpr Named kNamed[] = {
    {SDLK_BACKSPACE, Keys::VK_BACK}, {SDLK_TAB, Keys::VK_TAB}, {SDLK_RETURN, Keys::VK_RETURN},
    {SDLK_KP_ENTER, Keys::VK_RETURN}, {SDLK_RETURN2, Keys::VK_RETURN}, {SDLK_ESCAPE, Keys::VK_ESCAPE},
    {SDLK_SPACE, Keys::VK_SPACE}, {SDLK_PAGEUP, Keys::VK_PRIOR}, {SDLK_PAGEDOWN, Keys::VK_NEXT},
    {SDLK_END, Keys::VK_END}, {SDLK_HOME, Keys::VK_HOME}, {SDLK_LEFT, Keys::VK_LEFT}, {SDLK_UP, Keys::VK_UP},
    {SDLK_RIGHT, Keys::VK_RIGHT}, {SDLK_DOWN, Keys::VK_DOWN}, {SDLK_INSERT, Keys::VK_INSERT},
    {SDLK_DELETE, Keys::VK_DELETE}, {SDLK_LSHIFT, Keys::VK_SHIFT}, {SDLK_RSHIFT, Keys::VK_SHIFT},
    {SDLK_LCTRL, Keys::VK_CONTROL}, {SDLK_RCTRL, Keys::VK_CONTROL}, {SDLK_LALT, Keys::VK_MENU},
    {SDLK_RALT, Keys::VK_MENU}, {SDLK_CANCEL, Keys::VK_CANCEL},
    // The punctuation keys of a US layout, numbered as Windows numbers them.
    {SDLK_SEMICOLON, 0xBA}, {SDLK_EQUALS, 0xBB}, {SDLK_COMMA, 0xBC}, {SDLK_MINUS, 0xBD}, {SDLK_PERIOD, 0xBE},
    {SDLK_SLASH, 0xBF}, {SDLK_BACKQUOTE, 0xC0}, {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC},
    {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
};

// The keypad's keys without Num Lock move the cursor, as on Windows.
constexpr Named kKeypadNavigation[] = {
    {SDLK_KP_0, Keys::VK_INSERT}, {SDLK_KP_1, Keys::VK_END},  {SDLK_KP_2, Keys::VK_DOWN},
    {SDLK_KP_3, Keys::VK_NEXT},   {SDLK_KP_4, Keys::VK_LEFT}, {SDLK_KP_6, Keys::VK_RIGHT},
    {SDLK_KP_7, Keys::VK_HOME},   {SDLK_KP_8, Keys::VK_UP},   {SDLK_KP_9, Keys::VK_PRIOR},
    {SDLK_KP_PERIOD, Keys::VK_DELETE},
};

// The control character a key gives by itself (keys that give no text event).
uint8_t ControlChar(SDL_Keycode key, uint8_t mods) {
  if (mods & Keys::kAlt) return 0;
  const bool ctrl = mods & Keys::kCtrl;
  switch (key) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return ctrl ? 0 : 9;
    case SDLK_ESCAPE: return 27;
    default: break;
  }
  if (!ctrl) return 0;
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint8_t>(key - SDLK_a + 1);
  if (key == SDLK_LEFTBRACKET) return 27;
  if (key == SDLK_BACKSLASH) return 28;
  if (key == SDLK_RIGHTBRACKET) return 29;
  if (key == SDLK_SPACE) return 32;
  return 0;
}

Messages::Message KeyMessage(Messages::Kind kind, uint16_t vk, uint8_t mods) {
  Messages::Message m;
  m.kind = kind;
  m.vk = vk;
  m.mods = mods;
  return m;
}

}  // namespace

uint8_t Modifiers(SDL_Keymod mod) {
  uint8_t m = 0;
  if (mod & KMOD_SHIFT) m |= Keys::kShift;
  if (mod & KMOD_CTRL) m |= Keys::kCtrl;
  if (mod & KMOD_ALT) m |= Keys::kAlt;
  return m;
}

uint16_t VirtualKey(SDL_Keycode key, SDL_Keymod mod) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint16_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint16_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<uint16_t>(Keys::VK_F1 + (key - SDLK_F1));
  // Ctrl+Pause is the Break key.
  if (key == SDLK_PAUSE) return (mod & KMOD_CTRL) ? Keys::VK_CANCEL : 0x13;
  if (!(mod & KMOD_NUM))
    for (const Named& n : kKeypadNavigation)
      if (n.key == key) return n.vk;
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<uint16_t>(0x61 + (key - SDLK_KP_1));
  if (key == SDLK_KP_0) return 0x60;
  for (const Named& n : kNamed)
    if (n.key == key) return n.vk;
  return 0;
}

std::vector<Messages::Message> Translate(const SDL_Event& event) {
  std::vector<Messages::Message> out;
  State& s = S();
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const auto mod = static_cast<SDL_Keymod>(event.key.keysym.mod);
      const uint8_t mods = Modifiers(mod);
      const SDL_Keycode key = event.key.keysym.sym;
      const uint16_t vk = VirtualKey(key, mod);
      const bool ctrl = mods & Keys::kCtrl;
      // Alt without Ctrl, and F10 without Ctrl, are system keys.
      const bool system = ((mods & Keys::kAlt) && !ctrl) || (vk == Keys::VK_F10 && !ctrl);
      if (event.type == SDL_KEYUP) {
        out.push_back(KeyMessage(system ? Messages::Kind::SysKeyUp : Messages::Kind::KeyUp, vk, mods));
        break;
      }
      s.lastDownMods = mods;
      s.lastDownAltGr = (mod & KMOD_MODE) != 0;
      out.push_back(KeyMessage(system ? Messages::Kind::SysKeyDown : Messages::Kind::KeyDown, vk, mods));
      if (const uint8_t ch = ControlChar(key, mods)) {
        Messages::Message c = KeyMessage(Messages::Kind::Char, vk, mods);
        c.ch = ch;
        out.push_back(c);
      }
      break;
    }
    case SDL_TEXTINPUT: {
      // Ctrl and Alt combinations give their own codes (or none); AltGr gives characters.
      if ((s.lastDownMods & (Keys::kCtrl | Keys::kAlt)) && !s.lastDownAltGr) break;
      const std::string text = Cp1252::FromUtf8(event.text.text);
      for (char c : text) {
        const auto ch = static_cast<uint8_t>(c);
        if (ch < 32 || ch == 127) continue;
        Messages::Message m = KeyMessage(Messages::Kind::Char, 0, static_cast<uint8_t>(s.lastDownMods & Keys::kShift));
        m.ch = ch;
        out.push_back(m);
      }
      break;
    }
    case SDL_MOUSEBUTTONDOWN: {
      Messages::Message m;
      m.kind = Messages::Kind::MouseDown;
      if (event.button.button == SDL_BUTTON_LEFT) m.value = 0;
      else if (event.button.button == SDL_BUTTON_RIGHT) m.value = 1;
      else if (event.button.button == SDL_BUTTON_MIDDLE) m.value = 2;
      else break;
      out.push_back(m);
      break;
    }
    case SDL_MOUSEWHEEL: {
      int y = event.wheel.y;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
      if (y == 0) break;
      Messages::Message m;
      m.kind = Messages::Kind::MouseWheel;
      m.value = y * 120;  // away from the user is positive, one notch is 120
      out.push_back(m);
      break;
    }
    default:
      break;
  }
  return out;
}

}  // namespace WindowKeys
