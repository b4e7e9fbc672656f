// Samples are gathered into blocks before they are queued, so the sound queue gets few,
// large buffers; with an output file they are appended as they are read.
#include "tts/synthesize_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tts/sonora_state.h"
#include "audio/sound_queue.h"
#include "platform/wave/wave_header.h"

namespace Sonora {
namespace {

void PlayBlock() {
  EngineState& e = Engine();
  WriteWaveHeader(e.playback.data(), static_cast<uint32_t>(e.fill));
  SoundQueue::PlayImage(e.playback.data(), kHeaderBytes + e.fill);
  e.fill = 0;
}

// One read of the synthesizer: the number of bytes now in the scratch buffer; a negative
// count counts as an error and as nothing read.
int ReadBytes(bool& failed) {
  EngineState& e = Engine();
  const int n = e.mbr.read_MBR(e.scratch.data(), kScratchSamples);
  if (n < 0) {
    failed = true;
    return 0;
  }
  return 2 * std::min(n, kScratchSamples);
}

}  // namespace

void WriteWaveHeader(uint8_t* out, uint32_t dataSize) { WaveHeader::Write(out, 16000, 1, 16, dataSize); }

bool SynthesizeLines(const std::vector<std::string>& lines) {
  EngineState& e = Engine();
  if (e.library == nullptr) return false;
  e.scratch.resize(kScratchSamples);
  e.playback.resize(kHeaderBytes + 2 * kScratchSamples);
  SoundQueue::Flags& flags = SoundQueue::WaveFlags();
  const bool fastRate = flags.fastRate, cutting = flags.speechCutting;
  flags.fastRate = false;
  flags.speechCutting = false;
  e.mbr.reset_MBR();
  e.fill = 0;
  bool ok = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool last = i + 1 == lines.size();
    if (lines[i].empty() && !last) continue;
    std::string line = lines[i] + "\r\n";
    e.mbr.write_MBR(line.data());
    if (e.mbr.lastError_MBR() != 0) {
      e.mbr.reset_MBR();
      ok = false;
    }
    if (last) e.mbr.flush_MBR();
    bool readFailed = false;
    int n = ReadBytes(readFailed);
    if (readFailed || e.mbr.lastError_MBR() != 0) {
      e.mbr.reset_MBR();
      ok = false;
    }
    while (n > 0) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(e.scratch.data());
      if (e.writingToFile) {
        if (e.output == nullptr || std::fwrite(bytes, 1, static_cast<std::size_t>(n), e.output) != static_cast<std::size_t>(n))
          ok = false;
      } else {
        if (e.fill + static_cast<std::size_t>(n) >= kPlaybackBlock) PlayBlock();
        std::memcpy(e.playback.data() + kHeaderBytes + e.fill, bytes, static_cast<std::size_t>(n));
        e.fill += static_cast<std::size_t>(n);
      }
      bool ignored = false;
      n = ReadBytes(ignored);
    }
  }
  if (!e.writingToFile && e.fill > 0) {
    if (e.fill < kMinimumBlock) {
      std::memset(e.playback.data() + kHeaderBytes + e.fill, 0, kMinimumBlock - e.fill);
      e.fill = kMinimumBlock;
    }
    PlayBlock();
  }
  flags.fastRate = fastRate;
  flags.speechCutting = cutting;
  return ok;
}

}  // namespace Sonora
