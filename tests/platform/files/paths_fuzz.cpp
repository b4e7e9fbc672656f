// Fuzzing the textual side of paths: wildcard matching and full-path resolution of any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t split = text.find('\n');
  const std::string_view pattern = text.substr(0, split);
  const std::string_view name = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
  (void)Paths::WildcardMatch(pattern, name);
  const std::string full = Paths::FullPath(pattern);
  // A full path is always on a drive and holds no "." or ".." component.
  if (full.empty()) return 0;
  if (full.size() < 3 || full[1] != ':' || full[2] != '\\') __builtin_trap();
  for (std::size_t start = 3; start < full.size();) {
    std::size_t end = full.find('\\', start);
    if (end == std::string::npos) end = full.size();
    const std::string_view part = std::string_view(full).substr(start, end - start);
    if (part.empty() || part == "." || part == "..") __builtin_trap();
    start = end + 1;
  }
  return 0;
}
