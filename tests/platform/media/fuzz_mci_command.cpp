// Fuzz target: any bytes as an MCI command string are taken apart without fault, every
// keyword reader stays in bounds, and the words put back together quoted read the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/media/mci_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Mci::Command c;
  if (Mci::ParseCommand(text, c) != 0) return 0;
  Mci::Words w(c.words);
  int error = 0;
  for (const char* keyword : {"alias", "type", "from", "to", "handle", "state", "format"}) {
    w.Value(keyword, error);
    w.Number(keyword, error);
  }
  for (const char* flag : {"wait", "notify", "left", "right", "volume", "on", "off", "start", "end"}) w.Flag(flag);
  w.Leftover();
  std::string again = "\"" + c.verb + "\" \"" + c.device + "\"";
  for (const std::string& word : c.words) again += " \"" + word + "\"";
  Mci::Command d;
  if (Mci::ParseCommand(again, d) != 0 || d.verb != c.verb || d.device != c.device || d.words != c.words) std::abort();
  return 0;
}
