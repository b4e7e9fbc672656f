// Handing phoneme lines to the synthesizer and its samples to the sound queue or the
// engine's output file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Sonora {

// False when the synthesizer reported an error on some line (it was reset and the other
// lines still sent) or the output file could not be written.
bool SynthesizeLines(const std::vector<std::string>& lines);

// The 44-byte header of a 16000 Hz, 16-bit, mono WAVE image with `dataSize` bytes of data.
void WriteWaveHeader(uint8_t* out, uint32_t dataSize);

}  // namespace Sonora
