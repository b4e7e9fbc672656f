// Fuzzing the terminal decoder: no byte sequence on standard input, in pieces of any size,
// may crash it, grow what it holds back, or leave anything held once settled.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/terminal/terminal_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses how the rest is cut into reads.
  const std::size_t piece = 1 + data[0] % 16;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  TerminalInput::Decoder decoder;
  decoder.lineFeedIsEnter = data[0] & 0x80;
  std::vector<TerminalInput::Event> events;
  for (std::size_t i = 0; i < bytes.size(); i += piece) {
    TerminalInput::Feed(decoder, bytes.substr(i, piece), events);
    if (decoder.held.size() > 64) std::abort();
  }
  TerminalInput::Settle(decoder, events);
  if (TerminalInput::Waiting(decoder)) std::abort();
  for (const auto& e : events) (void)TerminalInput::ToMessages(e);
  return 0;
}
