// Reads a program file in bounded pieces: a regular file, or a pipe, FIFO or device read
// as it delivers, with a time-out for the next piece.
#include "interpreter/program_file.h"

#include <algorithm>
#include <cerrno>

#include "interpreter/state.h"
#include "platform/files/file_io.h"

namespace ProgramFile {

bool Read(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  // Non-blocking, so that a FIFO without a writer does not hold the open.
  FileIo::File file;
  FileIo::Info st;
  if (file.Open(path, FileIo::Mode::ReadNonBlocking) != 0 || file.Query(st) != 0 || st.kind == FileIo::Kind::Folder) {
    error = "não foi possível ler o arquivo";
    return false;
  }
  const bool regular = st.kind == FileIo::Kind::Regular;
  std::size_t lineFeeds = 0;
  char buffer[65536];
  for (;;) {
    if (!regular) {
      const int ready = file.WaitReadable(kDataWaitMs);
      if (ready == -EINTR) continue;
      if (ready == 0) {
        error = "nenhum dado chegou em " + std::to_string(kDataWaitMs / 1000) + " segundos";
        return false;
      }
    }
    const long n = file.Read(buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (n == -EINTR || n == -EAGAIN) continue;
      error = "não foi possível ler o arquivo";
      return false;
    }
    const std::string_view piece(buffer, static_cast<std::size_t>(n));
    lineFeeds += static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n'));
    // More line feeds than lines means a line after the last one the store holds.
    if (lineFeeds > static_cast<std::size_t>(Interp::kMaxLines)) {
      error = "o programa tem mais de " + std::to_string(Interp::kMaxLines) + " linhas";
      return false;
    }
    if (bytes.size() + piece.size() > kMaxBytes) {
      error = "o programa tem mais de " + std::to_string(kMaxBytes >> 20) + " MiB";
      return false;
    }
    bytes.append(piece);
  }
}

}  // namespace ProgramFile
