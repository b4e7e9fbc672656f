// Line reading and writing on the text file of a channel.
#include "interpreter/text_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "interpreter/file_names.h"

namespace TextFiles {

TextFile::TextFile(TextFile&& other) noexcept { *this = std::move(other); }

TextFile& TextFile::operator=(TextFile&& other) noexcept {
  if (this != &other) {
    name = std::move(other.name);
    file = std::move(other.file);
    mode = std::exchange(other.mode, Mode::Closed);
    buffer = std::move(other.buffer);
    capacity = other.capacity;
    begin = std::exchange(other.begin, 0);
    end = std::exchange(other.end, 0);
  }
  return *this;
}

TextFile::~TextFile() = default;

namespace {

int OpenWith(TextFile& file, const std::string& hostPath, FileIo::Mode how, Mode mode) {
  FileIo::File opened;
  if (const int error = opened.Open(hostPath, how)) return FileNames::PathError(error, hostPath);
  FileIo::Info st;
  if (opened.Query(st) != 0 || st.kind == FileIo::Kind::Folder) return FileNames::kAccessDenied;
  file.file = std::move(opened);
  file.mode = mode;
  file.begin = file.end = 0;
  return 0;
}

// Reads more bytes into the empty buffer: their count, 0 at the end, or -errno.
long Fill(TextFile& file) {
  if (!file.buffer) file.buffer = std::make_unique_for_overwrite<char[]>(file.capacity);
  file.begin = file.end = 0;
  long n;
  do n = file.file.Read(file.buffer.get(), file.capacity);
  while (n == -EINTR);
  if (n < 0) return n;
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

int OpenRead(TextFile& file, const std::string& hostPath) { return OpenWith(file, hostPath, FileIo::Mode::Read, Mode::Read); }

int OpenAppend(TextFile& file, const std::string& hostPath) {
  FileIo::IgnoreFileSizeLimitSignal();
  return OpenWith(file, hostPath, FileIo::Mode::AppendCreate, Mode::Append);
}

int ReadLine(TextFile& file, std::string& line, std::size_t maxLength) {
  line.clear();
  if (file.mode != Mode::Read) return FileNames::kNotOpenForInput;
  bool any = false;
  bool tooLong = false;
  for (;;) {
    if (file.begin == file.end) {
      const long n = Fill(file);
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
  FileIo::Piece parts[2] = {{text.data(), text.size()}, {"\r\n", lineEnd ? 2u : 0u}};
  FileIo::Piece* part = parts;
  int count = 2;
  std::size_t written = 0;
  int error = 0;
  while (count > 0) {
    if (part->size == 0) {
      ++part;
      --count;
      continue;
    }
    const long n = file.file.WritePieces(part, count);
    if (n < 0) {
      if (n == -EINTR) continue;
      error = static_cast<int>(-n);
      break;
    }
    if (n == 0) {  // no progress and no error: a full device
      error = ENOSPC;
      break;
    }
    written += static_cast<std::size_t>(n);
    std::size_t done = static_cast<std::size_t>(n);
    while (count > 0 && done >= part->size) {
      done -= part->size;
      ++part;
      --count;
    }
    if (count > 0) {
      part->data = static_cast<const char*>(part->data) + done;
      part->size -= done;
    }
  }
  if (error != 0 && written > 0) {
    const int64_t at = file.file.Position();
    if (at >= static_cast<int64_t>(written)) file.file.Truncate(static_cast<uint64_t>(at) - written);
  }
  return FileNames::WindowsError(error);
}

int Close(TextFile& file) {
  int result = 0;
  if (const int error = file.file.Close(); error != 0 && error != EINTR) result = FileNames::WindowsError(error);
  file.mode = Mode::Closed;
  file.buffer.reset();
  file.begin = file.end = 0;
  return result;
}

}  // namespace TextFiles
