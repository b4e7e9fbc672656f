// Windows-like key and mouse messages that every console backend delivers: virtual-key
// codes, modifier bits and the message shape the keyboard tables of the console read.
#pragma once

#include <cstdint>

namespace Keys {

// Modifier bits of a key message (and of the current shift state).
inline constexpr uint8_t kShift = 1;
inline constexpr uint8_t kCtrl = 2;
inline constexpr uint8_t kAlt = 4;

// Virtual-key codes, numbered as on Windows so that the key tables read like the originals.
enum Vk : uint16_t {
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
  VK_MENU = 0x12, VK_CANCEL = 0x03, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21,
  VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
  VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
  VK_F1 = 0x70, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
  // '0'..'9' and 'A'..'Z' are their ASCII codes.
  // The rest of the keyboard, for synthesized input.
  VK_CLEAR = 0x0C, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_SELECT = 0x29, VK_PRINT = 0x2A,
  VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C, VK_HELP = 0x2F, VK_LWIN = 0x5B, VK_RWIN = 0x5C,
  VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
  VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F24 = 0x87,
  VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2,
  VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0,
  VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2,
};

}  // namespace Keys
