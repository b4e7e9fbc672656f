// Fuzz target: arbitrary bytes as a text through preprocessing, tokens, patterns,
// letter-to-sound and prosody, with the engine's own data files loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tts/text_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const bool loaded = [] {
    std::string error;
    return Sonora::LoadTextData(Sonora::DataFilesIn(SONORA_DATA_DIR), error);
  }();
  if (!loaded) __builtin_trap();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)Sonora::TextToMbrolaLines(text, 1.0, 1.0);
  return 0;
}
