// The binary output of scripts: one binary file open at a time and a 128 MiB byte buffer
// with its fill count, which ESCREVEBYTE and LEBYTE fill and GRAVABYTES writes out. The
// buffer's memory is taken on its first use, never at start.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/files/file_io.h"

namespace ByteBuffer {

inline constexpr std::size_t kCapacity = 134217728;

struct BytesState {
  std::unique_ptr<char[]> bytes;  // kCapacity bytes once used
  std::size_t count = 0;          // the fill count
  FileIo::File file;              // the binary output file, when one is open
  std::string name;               // its name as the script wrote it
};

BytesState& State();

// Room for `more` bytes after the fill count: the buffer is made when needed. False when
// they would go past the capacity.
bool Reserve(std::size_t more);

// Closes the binary file and gives back the buffer's memory (tests start clean).
void ResetBytes();

}  // namespace ByteBuffer
