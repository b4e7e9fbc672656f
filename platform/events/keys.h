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
};

}  // namespace Keys
