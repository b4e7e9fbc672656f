// Fuzz target: arbitrary bytes as each of the data files (rules, exceptions,
// abbreviations, prosody, diphone list), then a short text through every stage.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "tts/abbreviations.h"
#include "tts/exceptions.h"
#include "tts/prosody_tables.h"
#include "tts/rules.h"
#include "tts/text_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/sonora-fuzz-" + std::to_string(getpid()) + ".dat";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Sonora::Prosody().quiet = true;  // broken files by the thousand: their messages are not news
  Sonora::LoadRules(path);
  Sonora::LoadExceptions(path);
  Sonora::LoadAbbreviations(path);
  Sonora::LoadProsody(path);
  Sonora::LoadDiphoneList(path);
  (void)Sonora::TextToMbrolaLines("Dr. Silva, 1.000 casas? 2as. BBC - abc.def", 1.0, 1.0);
  std::remove(path.c_str());
  return 0;
}
