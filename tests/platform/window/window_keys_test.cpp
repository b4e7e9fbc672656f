// The translation of SDL key, text and mouse events into the keyboard's messages, case by
// case (no display needed): what Windows would send for the same keys.
#include <gtest/gtest.h>

#include "platform/events/keys.h"
#include "platform/window/window_keys.h"

namespace {

using Messages::Kind;

SDL_Event KeyEvent(Uint32 type, SDL_Keycode sym, Uint16 mod) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  return e;
}

SDL_Event Text(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
  return e;
}

std::string Shape(const std::vector<Messages::Message>& ms) {
  std::string s;
  for (const Messages::Message& m : ms) {
    switch (m.kind) {
      case Kind::KeyDown: s += "down"; break;
      case Kind::KeyUp: s += "up"; break;
      case Kind::SysKeyDown: s += "sysdown"; break;
      case Kind::SysKeyUp: s += "sysup"; break;
      case Kind::Char: s += "char"; break;
      case Kind::MouseDown: s += "mouse"; break;
      case Kind::MouseWheel: s += "wheel"; break;
      default: s += "?"; break;
    }
    s += ":" + std::to_string(m.kind == Kind::Char ? m.ch : m.kind == Kind::MouseDown || m.kind == Kind::MouseWheel ? m.value : m.vk);
    s += "/" + std::to_string(m.mods) + " ";
  }
  return s;
}

TEST(WindowKeys, KeysGiveTheirVirtualKeysAndControlCharacters) {
  using namespace WindowKeys;
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_NONE))), "down:65/0 ");
  EXPECT_EQ(Shape(Translate(Text("a"))), "char:97/0 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYUP, SDLK_a, KMOD_NONE))), "up:65/0 ");
  // Enter, Ctrl+Enter, Ctrl+Backspace, Ctrl+letter, Ctrl+\ give their characters themselves.
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_NONE))), "down:13/0 char:13/0 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_LCTRL))), "down:13/2 char:13/2 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, KMOD_RCTRL))), "down:8/2 char:8/2 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_z, KMOD_LCTRL))), "down:90/2 char:26/2 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_BACKSLASH, KMOD_LCTRL))), "down:220/2 char:28/2 ");
  // Ctrl+Pause is Break; Alt and F10 are system keys; Ctrl+Alt is not.
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_PAUSE, KMOD_LCTRL))), "down:3/2 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_x, KMOD_LALT))), "sysdown:88/4 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYUP, SDLK_x, KMOD_LALT))), "sysup:88/4 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F10, KMOD_NONE))), "sysdown:121/0 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F12, KMOD_LCTRL | KMOD_LALT))), "down:123/6 ");
  // The keypad moves the cursor without Num Lock and types digits with it.
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_KP_8, KMOD_NONE))), "down:38/0 ");
  EXPECT_EQ(Shape(Translate(KeyEvent(SDL_KEYDOWN, SDLK_KP_8, KMOD_NUM))), "down:104/0 ");
}

TEST(WindowKeys, TextIsWindows1252AndCombinationsTypeNone) {
  using namespace WindowKeys;
  Translate(KeyEvent(SDL_KEYDOWN, SDLK_c, KMOD_NONE));
  EXPECT_EQ(Shape(Translate(Text("ç€"))), "char:231/0 char:128/0 ");
  EXPECT_EQ(Shape(Translate(Text("→"))), "char:63/0 ") << "what Windows-1252 lacks is a question mark";
  // The text of a Ctrl or Alt combination is not typed; AltGr's is.
  Translate(KeyEvent(SDL_KEYDOWN, SDLK_a, KMOD_LALT));
  EXPECT_EQ(Shape(Translate(Text("a"))), "");
  Translate(KeyEvent(SDL_KEYDOWN, SDLK_e, KMOD_MODE));
  EXPECT_EQ(Shape(Translate(Text("€"))), "char:128/0 ");
}

TEST(WindowKeys, TheMouseGivesButtonsAndWheelTurns) {
  using namespace WindowKeys;
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  EXPECT_EQ(Shape(Translate(e)), "mouse:1/0 ");
  e.button.button = SDL_BUTTON_X1;
  EXPECT_EQ(Shape(Translate(e)), "");
  SDL_Event w{};
  w.type = SDL_MOUSEWHEEL;
  w.wheel.y = -1;
  EXPECT_EQ(Shape(Translate(w)), "wheel:-120/0 ");
  w.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  EXPECT_EQ(Shape(Translate(w)), "wheel:120/0 ");
}

}  // namespace
