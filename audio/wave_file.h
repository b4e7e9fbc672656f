// Reading the header of a WAVE file or in-memory image: the format block and where the data
// chunk is. Every read is checked against the size of what is read from.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files/file_io.h"

namespace WaveFile {

struct Info {
  int rate = 0;
  int channels = 0;
  int bits = 0;
  uint64_t dataOffset = 0;  // where the samples start
  uint32_t dataSize = 0;    // as the data chunk says; it may run past the end
};

// Reads `bytes` bytes at `offset` into `out`; false when they are not all there.
using ReadAtFn = bool (*)(void* context, uint64_t offset, uint8_t* out, std::size_t bytes);

// "RIFF" at 0 and "fmt " at 12 (either letter case), the format block at 20 with its size
// at 16, then chunk headers of 8 bytes up to the one named "data". False for anything else,
// and for a format block of fewer than 16 bytes or with no channels, rate or bits.
bool ReadHeader(ReadAtFn read, void* context, uint64_t size, Info& info);
bool ParseImage(const uint8_t* image, std::size_t size, Info& info);
// The header of an open file (read at offsets; the file position is left alone).
bool ReadFileHeader(FileIo::File& file, Info& info);

}  // namespace WaveFile
