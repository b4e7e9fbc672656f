// The index is what the runtime searches by halving, so the sort here and the comparison
// there must be the same plain byte order.
#include "tools/voicebuild/diphones/database_file.h"

#include <algorithm>
#include <fstream>

namespace DatabaseFile {

std::vector<uint8_t> Record(const std::string& name, uint16_t length, uint32_t offset) {
  std::vector<uint8_t> r(15, 0);
  const std::size_t n = std::min<std::size_t>(name.size(), 8);
  r[0] = static_cast<uint8_t>(n);
  std::copy_n(name.begin(), n, r.begin() + 1);
  r[9] = static_cast<uint8_t>(length & 0xFF);
  r[10] = static_cast<uint8_t>(length >> 8);
  for (int k = 0; k < 4; ++k) r[11 + static_cast<std::size_t>(k)] = static_cast<uint8_t>(offset >> (8 * k));
  return r;
}

bool Write(const std::string& base, std::vector<Unit> units) {
  std::sort(units.begin(), units.end(), [](const Unit& a, const Unit& b) { return a.name < b.name; });
  std::ofstream index(base + ".IND", std::ios::binary | std::ios::trunc);
  std::ofstream data(base + ".DIF", std::ios::binary | std::ios::trunc);
  if (!index || !data) return false;
  uint32_t offset = 0;
  for (const Unit& u : units) {
    const auto length = static_cast<uint16_t>(std::min<std::size_t>(u.samples.size(), 0xFFFF));
    const std::vector<uint8_t> record = Record(u.name, length, offset);
    index.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
    data.write(reinterpret_cast<const char*>(u.samples.data()), length);
    offset += length;
  }
  return static_cast<bool>(index) && static_cast<bool>(data);
}

}  // namespace DatabaseFile
