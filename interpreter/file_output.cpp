// Whole-file output through a temporary file renamed into place.
#include "interpreter/file_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "interpreter/file_names.h"

namespace FileOutput {

Output::~Output() { Abandon(*this); }

namespace {

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Base(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t CreationMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int Begin(Output& out, const std::string& hostTarget) {
  Abandon(out);
  FileNames::IgnoreFileSizeSignal();
  struct stat st{};
  if (stat(hostTarget.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return FileNames::kAccessDenied;
    if (access(hostTarget.c_str(), W_OK) != 0) return FileNames::WindowsError(errno);
  }
  std::string temp = Folder(hostTarget) + "/." + Base(hostTarget) + ".fonix-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return FileNames::PathError(errno, hostTarget);
  // A new file gets the permissions any other new file of the user would get.
  fchmod(fd, CreationMode());
  out.target = hostTarget;
  out.temp = std::move(temp);
  out.fd = fd;
  return 0;
}

int Write(Output& out, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(out.fd, bytes, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileNames::WindowsError(errno);
    }
    if (n == 0) return FileNames::kDiskFull;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return 0;
}

int Commit(Output& out) {
  if (out.fd < 0) return FileNames::kGeneralFailure;
  const int closed = ::close(out.fd);
  out.fd = -1;
  if (closed != 0) return FileNames::WindowsError(errno);
  if (::rename(out.temp.c_str(), out.target.c_str()) != 0) return FileNames::WindowsError(errno);
  out.temp.clear();
  return 0;
}

int CommitNew(Output& out) {
  if (out.fd < 0) return FileNames::kGeneralFailure;
  const int closed = ::close(out.fd);
  out.fd = -1;
  if (closed != 0) return FileNames::WindowsError(errno);
  // A hard link is made only when the name is free, so an existing file is never replaced.
  if (::link(out.temp.c_str(), out.target.c_str()) != 0) return FileNames::WindowsError(errno);
  ::unlink(out.temp.c_str());
  out.temp.clear();
  return 0;
}

void Abandon(Output& out) {
  if (out.fd >= 0) ::close(out.fd);
  out.fd = -1;
  if (!out.temp.empty()) ::unlink(out.temp.c_str());
  out.temp.clear();
}

long ReadSome(int fd, char* bytes, std::size_t count) {
  for (;;) {
    const ssize_t n = ::read(fd, bytes, count);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -errno;
  }
}

}  // namespace FileOutput
