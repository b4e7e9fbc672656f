// Decoding of what a terminal sends (xterm-family key sequences, UTF-8 text, SGR mouse
// reports, focus reports) into key presses and mouse events of the console's messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/keyscript.h"
#include "platform/events/messages.h"

namespace TerminalInput {

// How long an escape byte waits for the rest of its sequence before it is the Esc key.
inline constexpr int kEscapeWaitMs = 30;

struct Event {
  enum class Type { Key, MouseDown, MouseWheel, Focus } type = Type::Key;
  KeyScript::Item key;  // Type::Key
  int32_t value = 0;    // mouse button (0 left, 1 right, 2 middle), wheel delta, focus 1/0
  uint8_t mods = 0;     // Shift, Ctrl, Alt held with it
  // A Ctrl character a key item cannot carry (Ctrl+] gives 29): sent as it is.
  uint8_t rawChar = 0;
};

struct Decoder {
  std::string held;               // the start of a sequence whose end has not arrived yet
  bool lineFeedIsEnter = false;   // a pipe or a cooked terminal ends lines with 10
  // The byte the terminal sends for Backspace (its erase character, 8 or 127): the other of
  // the two is Ctrl+Backspace, as xterm and VTE terminals send it. 0: both are Backspace.
  uint8_t eraseByte = 0;
};

// Decodes the bytes (appended to what was held back); complete events go to `out`.
void Feed(Decoder& decoder, std::string_view bytes, std::vector<Event>& out);
// True while an incomplete sequence is held back, waiting for its next byte.
bool Waiting(const Decoder& decoder);
// No more bytes came in time (or the input ended): what is held is settled as it stands,
// a lone escape as the Esc key, an unfinished sequence as its keys or nothing.
void Settle(Decoder& decoder, std::vector<Event>& out);

// The messages a Windows keyboard or mouse would send for the event.
std::vector<Messages::Message> ToMessages(const Event& event);
// True when the event ends up as key codes in the queue (it waits for an empty queue).
bool MakesKey(const Event& event);

}  // namespace TerminalInput
