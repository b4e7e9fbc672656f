// Canonical 8-bit mono files of the letters folder, their header the runtime's own.
#include "tools/voicebuild/wave_file.h"

#include <fstream>

#include "platform/wave/wave_header.h"

namespace WaveFile {

std::vector<uint8_t> Image(const std::vector<uint8_t>& samples, int rate) {
  // An even data size needs no RIFF pad byte, so the file is exactly header + data.
  const auto dataSize = static_cast<uint32_t>(samples.size() + (samples.size() & 1));
  std::vector<uint8_t> out(kHeaderSize);
  out.reserve(kHeaderSize + dataSize);
  WaveHeader::Write(out.data(), rate, 1, 8, dataSize);
  out.insert(out.end(), samples.begin(), samples.end());
  if (samples.size() & 1) out.push_back(128);  // one more sample of silence
  return out;
}

bool Write(const std::string& path, const std::vector<uint8_t>& samples, int rate) {
  const std::vector<uint8_t> image = Image(samples, rate);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(file);
}

}  // namespace WaveFile
