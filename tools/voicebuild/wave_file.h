// Canonical WAVE files of the letters folder: 44-byte header, 8-bit unsigned mono PCM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wave/wave_header.h"

namespace WaveFile {

inline constexpr int kRate = 11025;
inline constexpr std::size_t kHeaderSize = WaveHeader::kSize;

// The header and samples of a canonical 8-bit mono file at `rate`.
std::vector<uint8_t> Image(const std::vector<uint8_t>& samples, int rate);

// Writes the image to path (replacing it); false when the file could not be written.
bool Write(const std::string& path, const std::vector<uint8_t>& samples, int rate);

}  // namespace WaveFile
