// The WAVE header is written field by field, little-endian, so that the files are the
// same on any host.
#include "tools/voicebuild/wave_file.h"

#include <fstream>

namespace WaveFile {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

std::vector<uint8_t> Image(const std::vector<uint8_t>& samples, int rate) {
  // An even data size needs no RIFF pad byte, so the file is exactly header + data.
  const auto dataSize = static_cast<uint32_t>(samples.size() + (samples.size() & 1));
  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + dataSize);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, static_cast<uint32_t>(rate));
  Put32(out, static_cast<uint32_t>(rate));  // bytes per second: one byte per sample
  Put16(out, 1);  // block align
  Put16(out, 8);  // bits per sample
  PutTag(out, "data");
  Put32(out, dataSize);
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
