// Keys from a terminal's input into the event loop: read what the descriptor has, decode
// it, and hand the next key over when the console takes keys (the key queue is empty),
// so that typed-ahead keys wait in order and a key reaches an empty queue in the same pump.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/console/console_backend.h"
#include "platform/terminal/terminal_input.h"

namespace TerminalKeys {

struct Feed {
  int fd = -1;
  TerminalInput::Decoder decoder;
  std::deque<TerminalInput::Event> pending;
  int64_t lastInputMs = 0;  // when the held part of a sequence arrived
  bool ended = false;       // end of input or a read error: no key comes again
  uint8_t mods = 0;         // of the key handed over last (a terminal sends no key-ups)
  ConsoleDevice::AcceptsKeys accepts = nullptr;
};

// Registers the feed as a source of the event loop; returns the source id. The feed must
// outlive the source.
int AddSource(Feed& feed);
// Drops the keys decoded and not handed over yet (mouse keys too; focus reports stay).
void DiscardKeys(Feed& feed);
// True when no key can come any more.
bool Exhausted(const Feed& feed);

}  // namespace TerminalKeys
