// Files and file-system queries on POSIX calls.
#include "platform/files/file_io.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

namespace FileIo {
namespace {

int Flags(Mode mode) {
  switch (mode) {
    case Mode::Read: return O_RDONLY;
    case Mode::ReadNonBlocking: return O_RDONLY | O_NONBLOCK;
    case Mode::ReadWrite: return O_RDWR;
    case Mode::WriteTruncate: return O_WRONLY | O_CREAT | O_TRUNC;
    case Mode::CreateNew: return O_WRONLY | O_CREAT | O_EXCL;
    case Mode::AppendCreate: return O_WRONLY | O_APPEND | O_CREAT;
  }
  return O_RDONLY;
}

Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::Regular;
  if (S_ISDIR(mode)) return Kind::Folder;
  if (S_ISFIFO(mode)) return Kind::Fifo;
  if (S_ISLNK(mode)) return Kind::Link;
  return Kind::Other;
}

void Fill(const struct stat& st, Info& info) {
  info.kind = KindOf(st.st_mode);
  info.size = static_cast<uint64_t>(st.st_size);
  info.device = static_cast<uint64_t>(st.st_dev);
  info.inode = static_cast<uint64_t>(st.st_ino);
  info.modifiedSeconds = st.st_mtim.tv_sec;
  info.modifiedNanoseconds = st.st_mtim.tv_nsec;
  info.permissions = static_cast<unsigned>(st.st_mode & 07777);
}

int Result(int r) { return r == 0 ? 0 : errno; }

}  // namespace

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

File::~File() { Close(); }

int File::Open(const std::string& path, Mode mode) {
  Close();
  int fd;
  do fd = ::open(path.c_str(), Flags(mode) | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  handle_ = fd;
  return 0;
}

long File::Read(void* into, std::size_t count) {
  const ssize_t n = ::read(handle_, into, count);
  return n < 0 ? -errno : static_cast<long>(n);
}

long File::ReadAt(void* into, std::size_t count, uint64_t offset) {
  const ssize_t n = ::pread(handle_, into, count, static_cast<off_t>(offset));
  return n < 0 ? -errno : static_cast<long>(n);
}

long File::Write(const void* bytes, std::size_t count) {
  const ssize_t n = ::write(handle_, bytes, count);
  return n < 0 ? -errno : static_cast<long>(n);
}

long File::WritePieces(const Piece* pieces, int count) {
  iovec parts[8];
  if (count > 8) count = 8;
  for (int i = 0; i < count; ++i) parts[i] = {const_cast<void*>(pieces[i].data), pieces[i].size};
  const ssize_t n = ::writev(handle_, parts, count);
  return n < 0 ? -errno : static_cast<long>(n);
}

int64_t File::Seek(uint64_t offset) {
  const off_t at = ::lseek(handle_, static_cast<off_t>(offset), SEEK_SET);
  return at < 0 ? -errno : static_cast<int64_t>(at);
}

int64_t File::Position() {
  const off_t at = ::lseek(handle_, 0, SEEK_CUR);
  return at < 0 ? -errno : static_cast<int64_t>(at);
}

int File::Truncate(uint64_t size) { return Result(::ftruncate(handle_, static_cast<off_t>(size))); }

int File::Query(Info& info) {
  struct stat st{};
  if (handle_ < 0) return EBADF;
  if (::fstat(handle_, &st) != 0) return errno;
  Fill(st, info);
  return 0;
}

int File::SetPermissions(unsigned permissions) { return Result(::fchmod(handle_, static_cast<mode_t>(permissions))); }

int File::WaitReadable(int timeoutMs) {
  pollfd p{handle_, POLLIN, 0};
  const int ready = ::poll(&p, 1, timeoutMs);
  return ready < 0 ? -errno : ready > 0 ? 1 : 0;
}

int File::Close() {
  if (handle_ < 0) return 0;
  const int r = ::close(handle_);
  handle_ = -1;
  return Result(r);
}

int Query(const std::string& path, Info& info) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return errno;
  Fill(st, info);
  return 0;
}

int QueryLink(const std::string& path, Info& info) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return errno;
  Fill(st, info);
  return 0;
}

bool Exists(const std::string& path) {
  Info info;
  return Query(path, info) == 0;
}

bool IsRegularFile(const std::string& path) {
  Info info;
  return Query(path, info) == 0 && info.kind == Kind::Regular;
}

int CheckAccess(const std::string& path, Access access) {
  const int how = access == Access::Read ? R_OK : access == Access::Write ? W_OK : X_OK;
  return Result(::access(path.c_str(), how));
}

int SetPermissions(const std::string& path, unsigned permissions) {
  return Result(::chmod(path.c_str(), static_cast<mode_t>(permissions)));
}

unsigned NewFilePermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~static_cast<unsigned>(mask);
}

int Remove(const std::string& path) { return Result(::unlink(path.c_str())); }

int Rename(const std::string& from, const std::string& to) { return Result(::rename(from.c_str(), to.c_str())); }

int RenameNoReplace(const std::string& from, const std::string& to) {
  return Result(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

int AddName(const std::string& existing, const std::string& name) {
  return Result(::link(existing.c_str(), name.c_str()));
}

int MakeFolder(const std::string& path) { return Result(::mkdir(path.c_str(), 0777)); }

int RemoveFolder(const std::string& path) { return Result(::rmdir(path.c_str())); }

int CreateUnique(std::string& pattern, File& file) {
  file.Close();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  file = File();
  file.handle_ = fd;
  return 0;
}

void IgnoreFileSizeLimitSignal() {
  static const bool done = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)done;
}

}  // namespace FileIo
