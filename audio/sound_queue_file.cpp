// Playing a WAVE file: the "rapido" variant for speech cutting, the header, and the data
// read in pieces that each go through PlaySamples.
#include <string>

#include "platform/files/file_io.h"

#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "audio/wave_file.h"
#include "audio/sound_queue.h"

namespace SoundQueue {
namespace {

struct State {
  uint8_t fileBuffer[kBufferSize];  // the file read buffer, allocated once with the module
};

State& S() {
  static State state;
  return state;
}

bool KeyWaiting() { return InterruptRequested(); }

// "c:\sons\a.wav" → "c:\sons\rapido\a.wav": the same sound recorded faster.
std::string FastVariant(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::size_t cut = slash == std::string_view::npos ? 0 : slash + 1;
  return std::string(path.substr(0, cut)) + "rapido\\" + std::string(path.substr(cut));
}

// Reads up to `bytes`, retrying short reads; 0 at the end of the file or on an error.
std::size_t ReadPiece(FileIo::File& file, std::size_t bytes) {
  std::size_t done = 0;
  while (done < bytes) {
    const long n = file.Read(S().fileBuffer + done, bytes - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace

int PlayFile(std::string_view windowsPath) {
  Flags& flags = WaveFlags();
  if (KeyWaiting()) {
    WaveStop();
    return 0;
  }
  std::string path(windowsPath);
  const bool savedCutting = flags.speechCutting;
  if (flags.speechCutting) {
    const std::string fast = FastVariant(windowsPath);
    if (Paths::Exists(fast) && !Paths::IsFolder(fast)) {
      path = fast;
      flags.speechCutting = false;
    }
  }
  const std::string host = Paths::ToHost(path);
  FileIo::File file;
  if (!host.empty()) file.Open(host, FileIo::Mode::Read);
  WaveFile::Info info;
  if (!WaveFile::ReadFileHeader(file, info) || file.Seek(info.dataOffset) < 0) {
    flags.speechCutting = savedCutting;
    return -1;
  }
  uint32_t remaining = info.dataSize;
  bool interrupted = false;
  while (remaining > 0) {
    // Never leave a last piece of fewer than 256 bytes: 8193..8447 bytes go as 7936 + rest.
    const std::size_t want = remaining > 8192 && remaining < 8448 ? 7936 : std::min<uint32_t>(remaining, 8192);
    const std::size_t got = ReadPiece(file, want);
    if (got == 0) break;
    if (PlaySamples(S().fileBuffer, got, info.rate, info.channels, info.bits) != 0) break;
    remaining -= static_cast<uint32_t>(got);
    if (KeyWaiting()) {
      interrupted = true;
      break;
    }
  }
  file.Close();
  flags.speechCutting = savedCutting;
  if (!flags.asynchronous)
    while (WaveIsPlaying()) Messages::WaitMessage(5);
  return remaining == 0 && !interrupted ? 0 : -1;
}

}  // namespace SoundQueue
