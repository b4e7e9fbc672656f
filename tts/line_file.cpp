// Reads a data file as Windows-1252 lines.
#include "tts/line_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Sonora {

std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
  // A folder opens as a stream on Linux but is not a data file (the word readers link no
  // more than the text library, so the standard library tells).
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(st) || std::filesystem::is_directory(st)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace Sonora
