// Fuzz run of the file-channel line reader: any bytes read through any buffer size give the
// lines of a plain split (LF ends a line, every CR is dropped), then the end of the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "interpreter/text_file.h"

namespace {

std::vector<std::string> Split(std::string_view bytes, std::size_t limit, std::vector<bool>& tooLong) {
  std::vector<std::string> lines;
  std::string line;
  bool any = false;
  for (char c : bytes) {
    any = true;
    if (c == '\n') {
      tooLong.push_back(line.size() > limit);
      lines.push_back(line.size() > limit ? "" : line);
      line.clear();
      any = false;
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (any) {
    tooLong.push_back(line.size() > limit);
    lines.push_back(line.size() > limit ? "" : line);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t capacity = 1 + data[0] % 32;
  const std::size_t limit = data[1];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const int fd = memfd_create("lines", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  TextFiles::TextFile file;
  file.capacity = capacity;
  if (TextFiles::OpenRead(file, path) != 0) std::abort();
  close(fd);
  std::vector<bool> tooLong;
  const std::vector<std::string> want = Split(bytes, limit, tooLong);
  std::string line;
  for (std::size_t i = 0; i < want.size(); ++i) {
    const int status = TextFiles::ReadLine(file, line, limit);
    if (status != (tooLong[i] ? TextFiles::kLineTooLong : 0) || line != want[i]) std::abort();
  }
  if (TextFiles::ReadLine(file, line, limit) != 1 || !line.empty()) std::abort();
  return 0;
}
