// Fuzz target: arbitrary input lines through write_MBR, flush_MBR and read_MBR of the
// synthesizer, with the voice the build made.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tts/mbrola/fonix_mbrola.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string voice = FONIX_SONORA_VOICE;
  return init_MBR(voice.data()) == 0 ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the mode; the rest are lines, written one call per line.
  setNoError_MBR(data[0] & 1);
  reset_MBR();
  std::vector<short> out(4096);
  std::string line;
  auto drain = [&out] {
    while (read_MBR(out.data(), static_cast<int>(out.size())) > 0) {
    }
  };
  for (std::size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      if (write_MBR(line.data()) < 0 || lastError_MBR() != 0) reset_MBR();
      drain();
      line.clear();
    } else if (data[i] != 0) {
      line += static_cast<char>(data[i]);
    }
  }
  flush_MBR();
  drain();
  return 0;
}
