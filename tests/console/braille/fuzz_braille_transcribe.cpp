// Fuzz target: any bytes, any length, through the transcriber and the cell conversion; the
// parenthesis flag carries over from one input to the next as it does between rows.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "console/braille_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<int> sourceOf;
  const std::string braille = BrailleText::BrailleTranscribe(text, &sourceOf);
  if (sourceOf.size() != braille.size()) __builtin_trap();
  for (int from : sourceOf)
    if (from < 0 || static_cast<std::size_t>(from) >= size) __builtin_trap();
  const std::vector<uint8_t> cells = BrailleText::Cells(braille);
  if (cells.size() != braille.size()) __builtin_trap();
  return 0;
}
