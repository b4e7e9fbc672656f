// Reads a program file in bounded pieces: a regular file, or a pipe, FIFO or device read
// as it delivers, with a time-out for the next piece.
#include "interpreter/program_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "interpreter/state.h"

namespace ProgramFile {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool Read(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  // Non-blocking, so that a FIFO without a writer does not hold the open.
  const Fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
    error = "não foi possível ler o arquivo";
    return false;
  }
  const bool regular = S_ISREG(st.st_mode);
  std::size_t lineFeeds = 0;
  char buffer[65536];
  for (;;) {
    if (!regular) {
      pollfd p{fd.get(), POLLIN, 0};
      const int ready = poll(&p, 1, kDataWaitMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready == 0) {
        error = "nenhum dado chegou em " + std::to_string(kDataWaitMs / 1000) + " segundos";
        return false;
      }
    }
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
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
