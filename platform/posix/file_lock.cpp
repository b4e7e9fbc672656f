// File locks on flock.
#include "platform/system/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace FileLock {

Handle Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  return fd < 0 ? kNone : fd;
}

Taken TryTake(Handle lock) {
  if (flock(lock, LOCK_EX | LOCK_NB) == 0) return Taken::Yes;
  return errno == EWOULDBLOCK || errno == EINTR ? Taken::Busy : Taken::Failed;
}

void Close(Handle lock) {
  if (lock >= 0) close(lock);
}

}  // namespace FileLock
