// Fuzz run of the Base64 decoder: any text decodes without fault, the same in any pieces,
// and encoding any bytes decodes back to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interpreter/encodings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string whole = Encodings::Base64Decode(input);
  if (whole.size() > input.size() / 4 * 3 + 2) std::abort();
  // Fed in pieces whose sizes come from the input itself.
  Encodings::Base64Decoder decoder;
  std::string pieces;
  for (std::size_t at = 0; at < size;) {
    const std::size_t n = 1 + data[at] % 7;
    Encodings::Base64Feed(decoder, std::string_view(input).substr(at, n), pieces);
    at += n;
  }
  Encodings::Base64Finish(decoder, pieces);
  if (pieces != whole) std::abort();
  const std::string encoded = Encodings::Base64Encode(input);
  if (encoded.size() % 4 != 0 || Encodings::Base64Decode(encoded) != input) std::abort();
  return 0;
}
