// Line reading and writing on the text file of a channel, over a POSIX descriptor.
#include "interpreter/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "interpreter/file_names.h"

namespace TextFiles {

TextFile::TextFile(TextFile&& other) noexcept { *this = std::move(other); }

TextFile& TextFile::operator=(TextFile&& other) noexcept {
  if (this != &other) {
    if (fd >= 0) ::close(fd);
    name = std::move(other.name);
    fd = std::exchange(other.fd, -1);
    mode = std::exchange(other.mode, Mode::Closed);
    buffer = std::move(other.buffer);
    capacity = other.capacity;
    begin = std::exchange(other.begin, 0);
    end = std::exchange(other.end, 0);
  }
  return *this;
}

TextFile::~TextFile() {
  if (fd >= 0) ::close(fd);
}

namespace {

int OpenWith(TextFile& file, const std::string& hostPath, int flags, Mode mode) {
  int fd;
  do fd = ::open(hostPath.c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return FileNames::PathError(errno, hostPath);
  struct stat st{};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return FileNames::kAccessDenied;
  }
  if (file.fd >= 0) ::close(file.fd);
  file.fd = fd;
  file.mode = mode;
  file.begin = file.end = 0;
  return 0;
}

// Reads more bytes into the empty buffer: their count, 0 at the end, or -errno.
ssize_t Fill(TextFile& file) {
  if (!file.buffer) file.buffer = std::make_unique_for_overwrite<char[]>(file.capacity);
  file.begin = file.end = 0;
  ssize_t n;
  do n = ::read(file.fd, file.buffer.get(), file.capacity);
  while (n < 0 && errno == EINTR);
  if (n < 0) return -errno;
  file.end = static_cast<std::size_t>(n);
  return n;
}

// Appends the bytes to the line, leaving out every CR: one before the LF belongs to the
// line end, and a lone one is dropped.
void AppendWithoutCr(std::string& line, const char* p, std::size_t n) {
  while (n > 0) {
    const void* cr = std::memchr(p, '\r', n);
    const std::size_t run = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - p) : n;
    line.append(p, run);
    if (!cr) return;
    p += run + 1;
    n -= run + 1;
  }
}

}  // namespace

int OpenRead(TextFile& file, const std::string& hostPath) { return OpenWith(file, hostPath, O_RDONLY, Mode::Read); }

int OpenAppend(TextFile& file, const std::string& hostPath) {
  FileNames::IgnoreFileSizeSignal();
  return OpenWith(file, hostPath, O_WRONLY | O_APPEND | O_CREAT, Mode::Append);
}

int ReadLine(TextFile& file, std::string& line, std::size_t maxLength) {
  line.clear();
  if (file.mode != Mode::Read) return FileNames::kNotOpenForInput;
  bool any = false;
  bool tooLong = false;
  for (;;) {
    if (file.begin == file.end) {
      const ssize_t n = Fill(file);
      if (n < 0) {
        line.clear();
        return FileNames::WindowsError(static_cast<int>(-n));
      }
      if (n == 0) return tooLong ? kLineTooLong : any ? 0 : 1;
    }
    any = true;
    const char* p = file.buffer.get() + file.begin;
    const std::size_t avail = file.end - file.begin;
    const void* lf = std::memchr(p, '\n', avail);
    const std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) : avail;
    if (!tooLong) {
      AppendWithoutCr(line, p, take);
      if (line.size() > maxLength) {
        tooLong = true;
        line.clear();
        line.shrink_to_fit();
      }
    }
    file.begin += take;
    if (lf) {
      ++file.begin;
      return tooLong ? kLineTooLong : 0;
    }
  }
}

int Write(TextFile& file, std::string_view text, bool lineEnd) {
  if (file.mode != Mode::Append) return FileNames::kNotOpenForOutput;
  iovec parts[2] = {{const_cast<char*>(text.data()), text.size()}, {const_cast<char*>("\r\n"), lineEnd ? 2u : 0u}};
  iovec* part = parts;
  int count = 2;
  std::size_t written = 0;
  int error = 0;
  while (count > 0) {
    if (part->iov_len == 0) {
      ++part;
      --count;
      continue;
    }
    const ssize_t n = ::writev(file.fd, part, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (n == 0) {  // no progress and no error: a full device
      error = ENOSPC;
      break;
    }
    written += static_cast<std::size_t>(n);
    std::size_t done = static_cast<std::size_t>(n);
    while (count > 0 && done >= part->iov_len) {
      done -= part->iov_len;
      ++part;
      --count;
    }
    if (count > 0) {
      part->iov_base = static_cast<char*>(part->iov_base) + done;
      part->iov_len -= done;
    }
  }
  if (error != 0 && written > 0) {
    const off_t at = ::lseek(file.fd, 0, SEEK_CUR);
    if (at >= static_cast<off_t>(written)) (void)!::ftruncate(file.fd, at - static_cast<off_t>(written));
  }
  return FileNames::WindowsError(error);
}

int Close(TextFile& file) {
  int result = 0;
  if (file.fd >= 0 && ::close(file.fd) != 0 && errno != EINTR) result = FileNames::WindowsError(errno);
  file.fd = -1;
  file.mode = Mode::Closed;
  file.buffer.reset();
  file.begin = file.end = 0;
  return result;
}

}  // namespace TextFiles
