// Reads a data file as Windows-1252 lines, whatever its line ends or contents.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Sonora {

// The lines of the file, without their line ends (LF or CR LF); nothing when the file
// cannot be opened or read. Bytes are kept as they are, NUL included.
std::optional<std::vector<std::string>> ReadLines(const std::string& path);

}  // namespace Sonora
