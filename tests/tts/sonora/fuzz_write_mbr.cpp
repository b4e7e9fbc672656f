// Fuzz target: arbitrary input lines through write_MBR, flush_MBR and read_MBR of the
// synthesizer, with the voice the build made.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "tts/mbrola/fonix_mbrola.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string voice = FONIX_SONORA_VOICE;
  return init_MBR(voice.data()) == 0 ? 0 : 1;
}

// The milliseconds the input asks for (second field of each line, as strtod reads it).
double RequestedMs(const uint8_t* data, std::size_t size) {
  double total = 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text)
    if (c == '\0' || c == '\t' || c == '\r') c = ' ';
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    const std::size_t first = line.find_first_not_of(' ');
    const std::size_t gap = first == std::string::npos ? std::string::npos : line.find(' ', first);
    if (gap != std::string::npos) {
      const double ms = std::strtod(line.c_str() + gap, nullptr);
      total += std::isfinite(ms) && ms > 0 ? ms : 0;
    }
    at = end + 1;
  }
  return total;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Each second of sound costs time; inputs asking for more than 20 s are left out so that
  // a run explores many inputs (long phones are covered by the unit tests).
  if (size == 0 || RequestedMs(data, size) > 20000) return 0;
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
