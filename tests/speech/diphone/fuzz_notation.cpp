// Fuzzing the diphone voice: the first line of the input is a text, the rest a rules file
// and an exceptions file; the notation and its playing must stay inside their buffers.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "speech/diphone_notation.h"
#include "speech/diphone_synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = input.find('\n');
  const std::string text = input.substr(0, eol);
  const std::string rules = eol == std::string::npos ? std::string() : input.substr(eol + 1);
  static const std::string path = "/tmp/diphone_fuzz_" + std::to_string(getpid());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << rules;
  DiphoneNotation::LoadFiles(path, path);
  const std::string notation = DiphoneNotation::TextNotation(text.substr(0, 999));
  DiphoneSynth::ResetSynth();
  DiphoneSynth::Synth().corteFon = static_cast<int>(size % 700);
  DiphoneSynth::Say(notation);
  DiphoneSynth::Say(text);  // any bytes as notation, too
  return 0;
}
