// Reading a program file for fonix: bounded in bytes and lines before anything is stored,
// and never waiting without end for a pipe or a device that brings no data.
#pragma once

#include <cstddef>
#include <string>

namespace ProgramFile {

// A program file is refused when it is larger than this.
inline constexpr std::size_t kMaxBytes = std::size_t{16} << 20;
// A pipe, a FIFO or a device that brings no data for this long is refused.
inline constexpr int kDataWaitMs = 5000;

// The bytes of the file at `path`. Fails with a message (Portuguese, for the user) when the
// file cannot be opened or read, is a folder, holds more than kMaxBytes bytes or more line
// feeds than the store has lines, or is not a regular file and brings no data in time.
bool Read(const std::string& path, std::string& bytes, std::string& error);

}  // namespace ProgramFile
