// Fuzzing the WAVE header reader (in memory and through a file) and the speech cutter on
// whatever samples follow.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files/file_io.h"

#include "audio/wave_file.h"
#include "audio/sound_queue_cut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WaveFile::Info info;
  const bool parsed = WaveFile::ParseImage(data, size, info);
  static FileIo::File file = [] {
    FileIo::File made;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/fuzz-wave-XXXXXX";
    if (FileIo::CreateUnique(pattern, made) == 0) FileIo::Remove(pattern);
    return made;
  }();
  if (file.IsOpen() && file.Truncate(0) == 0 && file.Seek(0) == 0 &&
      file.Write(data, size) == static_cast<long>(size)) {
    WaveFile::Info fromFile;
    if (WaveFile::ReadFileHeader(file, fromFile) != parsed) __builtin_trap();
    if (parsed && (fromFile.dataOffset != info.dataOffset || fromFile.dataSize != info.dataSize)) __builtin_trap();
  }
  if (parsed && info.dataOffset < size && info.dataSize > 0) {
    const std::size_t n = std::min<uint64_t>(info.dataSize, size - info.dataOffset);
    std::vector<uint8_t> samples(data + info.dataOffset, data + info.dataOffset + std::min<std::size_t>(n, 8192));
    const bool narrow = info.bits == 16;
    std::vector<uint8_t> eight(samples.size());
    const std::size_t count = narrow ? SoundQueue::NarrowTo8Bits(samples.data(), samples.size(), eight.data())
                                     : (std::memcpy(eight.data(), samples.data(), samples.size()), samples.size());
    eight.resize(count);
    const std::size_t cut = SoundQueue::CutSpeech(eight.data(), eight.size(), info.rate);
    if (cut > count) __builtin_trap();
  }
  return 0;
}
