// A lock on a file that one process at a time holds (the lock goes with the process).
#pragma once

#include <string>

namespace FileLock {

// An open lock file; kNone: none.
using Handle = int;
inline constexpr Handle kNone = -1;

// Opens (creating it when missing) the lock file; kNone when it cannot be.
Handle Open(const std::string& path);

enum class Taken {
  Yes,
  Busy,    // another process holds it (or the attempt was interrupted): try again later
  Failed,  // it cannot be locked
};
// Tries to take the lock without waiting.
Taken TryTake(Handle lock);
// Closes the file, letting the lock go; kNone is ignored.
void Close(Handle lock);

}  // namespace FileLock
