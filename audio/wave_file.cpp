// The WAVE header reader shared by in-memory images and files.
#include "audio/wave_file.h"

#include <cstring>

#include "platform/text/text_kit.h"

namespace WaveFile {
namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool SameId(const uint8_t* p, const char* id) {
  for (int i = 0; i < 4; ++i) {
    if (TextKit::AsciiUpper(static_cast<char>(p[i])) != TextKit::AsciiUpper(id[i])) return false;
  }
  return true;
}

struct Memory {
  const uint8_t* data;
  std::size_t size;
};

bool ReadMemory(void* context, uint64_t offset, uint8_t* out, std::size_t bytes) {
  const auto* m = static_cast<const Memory*>(context);
  if (offset > m->size || bytes > m->size - offset) return false;
  std::memcpy(out, m->data + offset, bytes);
  return true;
}

bool ReadFile(void* context, uint64_t offset, uint8_t* out, std::size_t bytes) {
  auto* file = static_cast<FileIo::File*>(context);
  std::size_t done = 0;
  while (done < bytes) {
    const long n = file->ReadAt(out + done, bytes - done, offset + done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadHeader(ReadAtFn read, void* context, uint64_t size, Info& info) {
  uint8_t head[20];
  if (!read(context, 0, head, sizeof head)) return false;
  if (!SameId(head, "RIFF") || !SameId(head + 12, "fmt ")) return false;
  const uint32_t formatSize = Get32(head + 16);
  if (formatSize < 16) return false;
  uint8_t format[16];
  if (!read(context, 20, format, sizeof format)) return false;
  info.channels = Get16(format + 2);
  info.rate = static_cast<int>(Get32(format + 4) & 0x7FFFFFFF);
  info.bits = Get16(format + 14);
  if (info.channels == 0 || info.rate == 0 || info.bits == 0) return false;
  uint64_t at = 20 + static_cast<uint64_t>(formatSize);
  for (;;) {
    uint8_t chunk[8];
    if (at > size || !read(context, at, chunk, sizeof chunk)) return false;
    at += 8;
    if (SameId(chunk, "data")) {
      info.dataOffset = at;
      info.dataSize = Get32(chunk + 4);
      return true;
    }
    at += Get32(chunk + 4);
  }
}

bool ParseImage(const uint8_t* image, std::size_t size, Info& info) {
  Memory m{image, size};
  return image != nullptr && ReadHeader(ReadMemory, &m, size, info);
}

bool ReadFileHeader(FileIo::File& file, Info& info) {
  FileIo::Info st;
  if (!file.IsOpen() || file.Query(st) != 0) return false;
  return ReadHeader(ReadFile, &file, st.size, info);
}

}  // namespace WaveFile
