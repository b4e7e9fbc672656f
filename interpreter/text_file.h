// The text file a channel holds: lines read through a large buffer (LF or CR LF ends a line,
// a lone CR is dropped) and lines written whole, each write reaching the file at once.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/file_io.h"

namespace TextFiles {

enum class Mode : unsigned char { Closed, Read, Append };

// Size of the read buffer unless a test asks for another.
inline constexpr std::size_t kReadBuffer = 64 * 1024;
// ReadLine's result for a line longer than the caller's limit (the line is skipped whole).
inline constexpr int kLineTooLong = -1;

struct TextFile {
  std::string name;  // as the script wrote it (Windows-1252)
  FileIo::File file;
  Mode mode = Mode::Closed;
  std::unique_ptr<char[]> buffer;  // read side, made on the first read
  std::size_t capacity = kReadBuffer;
  std::size_t begin = 0;  // unread bytes are buffer[begin, end)
  std::size_t end = 0;

  TextFile() = default;
  TextFile(TextFile&& other) noexcept;
  TextFile& operator=(TextFile&& other) noexcept;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile();
};

// Opens an existing file for reading (a folder is refused with 5). 0 or the Windows error.
int OpenRead(TextFile& file, const std::string& hostPath);
// Opens a file for appending at its end, creating it when it does not exist; an existing
// file is never truncated. 0 or the Windows error.
int OpenAppend(TextFile& file, const std::string& hostPath);

// Reads one line without its line end. 0 when a line was read, 1 at the end of the file
// (line empty), kLineTooLong when the line holds more than maxLength bytes, else the
// Windows error (line empty).
int ReadLine(TextFile& file, std::string& line, std::size_t maxLength);

// Writes the text, followed by CR LF when lineEnd, in one piece: when the file system
// refuses part of it (disk full), the part already written is taken back, so the file
// never ends in half a line. 0 or the Windows error.
int Write(TextFile& file, std::string_view text, bool lineEnd);

// Closes the file (nothing is held back: every write already reached it). 0 or the
// Windows error of the close.
int Close(TextFile& file);

}  // namespace TextFiles
