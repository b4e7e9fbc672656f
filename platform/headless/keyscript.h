// The key script of headless runs (FONIX_KEYS): parsing its grammar into key items, and
// turning a key press into the Windows-like messages a real keyboard would produce.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/events/messages.h"

namespace KeyScript {

struct Item {
  enum class Type { Press, Down, Up, Wait, Until } type = Type::Press;
  uint16_t vk = 0;  // virtual key (0 for characters without a key of their own)
  uint8_t ch = 0;   // the character the key types, 0 for none
  uint8_t mods = 0; // Keys::kShift | kCtrl | kAlt held with it
  int waitMs = 0;     // Wait: how long; Until: the longest it waits
  std::string text;   // Until: the UTF-8 text an event must hold
};

// Parses the script (UTF-8). On a malformed script returns false with a message in `error`.
bool Parse(std::string_view script, std::vector<Item>& items, std::string& error);

// The messages of one item, as a keyboard delivers them.
std::vector<Messages::Message> ToMessages(const Item& item);

// The item of a character typed on its own (used by line-mode input too).
Item CharacterItem(uint8_t ch);

}  // namespace KeyScript
