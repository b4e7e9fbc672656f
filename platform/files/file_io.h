// Files opened, read and written through an owning handle, and the file system's queries
// and changes (kinds, sizes, permissions, renames) that the runtime needs. Every call that
// can fail gives 0 or a POSIX error number (what FileNames::WindowsError translates).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace FileIo {

// How a file is opened; every open is closed across program starts.
enum class Mode {
  Read,             // an existing file, read only
  ReadNonBlocking,  // read only without blocking: a FIFO without a writer does not hold the open
  ReadWrite,        // an existing file, read and written, nothing truncated
  WriteTruncate,    // written from the start: created (0666 less the umask) or emptied
  CreateNew,        // created, never an existing name (nor a link): O_EXCL
  AppendCreate,     // written at its end, created when missing, never truncated
};

enum class Kind { Regular, Folder, Fifo, Link, Other };

struct Info {
  Kind kind = Kind::Other;
  uint64_t size = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  unsigned permissions = 0;  // the mode's permission bits (07777)
};

// Bytes of one gathered write.
struct Piece {
  const void* data;
  std::size_t size;
};

// An open file, closed when the handle goes.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens the path (closing what was open first, an interrupted open is tried again).
  // 0 or the error.
  int Open(const std::string& path, Mode mode);
  bool IsOpen() const { return handle_ >= 0; }

  // One read: the bytes read, 0 at the end, or -error (-EINTR and -EAGAIN included).
  long Read(void* into, std::size_t count);
  // One read at the offset, the file position untouched: as Read.
  long ReadAt(void* into, std::size_t count, uint64_t offset);
  // One write: the bytes written or -error.
  long Write(const void* bytes, std::size_t count);
  // One gathered write of the pieces in order: the bytes written or -error.
  long WritePieces(const Piece* pieces, int count);
  // Moves the position to `offset` from the start: the new position or -error.
  int64_t Seek(uint64_t offset);
  // The position or -error.
  int64_t Position();
  // Cuts or extends the file to `size`. 0 or the error.
  int Truncate(uint64_t size);
  // Kind, size and times of the open file. 0 or the error.
  int Query(Info& info);
  // Sets the permission bits. 0 or the error.
  int SetPermissions(unsigned permissions);
  // Waits at most `timeoutMs` until there is something to read (or the writer went):
  // 1 when there is, 0 when the time passed, or -error (-EINTR included).
  int WaitReadable(int timeoutMs);
  // Closes the file. 0 or the error of the close (the handle is closed either way).
  int Close();

 private:
  friend int CreateUnique(std::string& pattern, File& file);
  int handle_ = -1;
};

// The kind and size of the path, following links. 0 or the error.
int Query(const std::string& path, Info& info);
// The same of the path itself, a link not followed. 0 or the error.
int QueryLink(const std::string& path, Info& info);
// Whether the path names anything (following links).
bool Exists(const std::string& path);
// Whether it is a regular file (following links).
bool IsRegularFile(const std::string& path);

enum class Access { Read, Write, Execute };
// Whether this process may use the file so (by its real user, as the system checks a
// program's start). 0 or the error.
int CheckAccess(const std::string& path, Access access);
// Sets the permission bits of the path. 0 or the error.
int SetPermissions(const std::string& path, unsigned permissions);
// The permission bits a new file gets: 0666 less the process's umask.
unsigned NewFilePermissions();

// Removes a file or link (never a folder). 0 or the error.
int Remove(const std::string& path);
// Renames, replacing what `to` names, in one step. 0 or the error.
int Rename(const std::string& from, const std::string& to);
// Renames only when `to` names nothing; EINVAL or ENOSYS where the file system cannot
// refuse the replacement. 0 or the error.
int RenameNoReplace(const std::string& from, const std::string& to);
// Gives the file a second name, which must be free. 0 or the error.
int AddName(const std::string& existing, const std::string& name);
// Makes a folder (0777 less the umask). 0 or the error.
int MakeFolder(const std::string& path);
// Removes an empty folder. 0 or the error.
int RemoveFolder(const std::string& path);

// Creates a new file from the pattern, whose last six characters "XXXXXX" are replaced by
// the name chosen (the pattern then holds the path). 0 or the error.
int CreateUnique(std::string& pattern, File& file);

// Writing past the file size limit fails with EFBIG instead of ending the process; done
// once, any thread may call it.
void IgnoreFileSizeLimitSignal();

}  // namespace FileIo
