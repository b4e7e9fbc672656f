// A file written whole: its bytes go to a temporary file beside the destination, which
// takes the destination's place only once everything was written. A copy or conversion
// that fails half-way (a full disk, a vanished source) leaves no half-written file and
// never destroys the file it would have replaced, even when source and destination are
// the same file.
#pragma once

#include <cstddef>
#include <string>

#include "platform/files/file_io.h"

namespace FileOutput {

struct Output {
  std::string target;  // Linux path of the destination
  std::string temp;    // Linux path of the file being written
  FileIo::File file;   // open while the output is under way

  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();  // an output not committed is taken back
};

// Starts the output. 0, or the Windows error when the destination cannot be made: its
// folder is missing, it is a folder, or it is a file that may not be written.
int Begin(Output& out, const std::string& hostTarget);
// Appends bytes. 0 or the Windows error (112 when the disk is full).
int Write(Output& out, const char* bytes, std::size_t count);
// Puts the written file in the destination's place. 0 or the Windows error.
int Commit(Output& out);
// Like Commit, but fails with 183 when the destination exists (a rename never replaces).
int CommitNew(Output& out);
// Drops what was written.
void Abandon(Output& out);

// Reads up to `count` bytes, retrying interrupted reads: the number read, 0 at the end,
// -errno on error.
long ReadSome(FileIo::File& file, char* bytes, std::size_t count);

}  // namespace FileOutput
