// Writing a diphone database: the ".IND" index of 15-byte records sorted by name and the
// ".DIF" file of the samples back to back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace DatabaseFile {

struct Unit {
  std::string name;  // upper case, at most 8 characters
  std::vector<uint8_t> samples;
};

// The 15-byte record of a unit at `offset`: length of the name, the name padded with
// zero bytes to 8, the length in bytes and the offset, little-endian.
std::vector<uint8_t> Record(const std::string& name, uint16_t length, uint32_t offset);

// Sorts the units by name (byte-wise, as the runtime halves the index) and writes
// base + ".IND" and base + ".DIF"; false when a file could not be written.
bool Write(const std::string& base, std::vector<Unit> units);

}  // namespace DatabaseFile
