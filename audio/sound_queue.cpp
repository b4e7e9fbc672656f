// The sound queue's queue of fixed buffers on the audio device: opening for a format,
// queuing pieces, completions, stopping, and the loop of the console's tone.
#include "audio/sound_queue.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/text/text_kit.h"
#include "audio/wave_file.h"
#include "audio/sound_queue_cut.h"

namespace SoundQueue {
namespace {

struct Buffer {
  uint8_t data[kBufferSize];
  bool inFlight = false;  // prepared and written, completion not yet handled
  bool loop = false;
};

struct State {
  // Allocated once, with the module: nothing is allocated while playing.
  Buffer buffers[kBufferCount];
  uint8_t cutBuffer[kBufferSize];
  int queued = 0;      // sound buffers in flight
  int loopQueued = 0;  // tone buffers in flight
  int next = 0;
  std::unique_ptr<WaveOut::Device> device;
  Hooks hooks;
  bool deviceChosen = false;
  int deviceIndex = -1;
  bool open = false;
  WaveOut::Format openFormat;
  Flags flags;
  bool looping = false;
  const uint8_t* loopData = nullptr;
  std::size_t loopLength = 0;
  std::size_t loopOffset = 0;
  WaveOut::Format loopFormat;
};

void InstallHooks();

State& S() {
  static State* state = [] {
    static State s;
    InstallHooks();
    std::atexit(CloseSoundQueue);  // runs before the event loop it posts into goes away
    return &s;
  }();
  return *state;
}

bool KeyWaiting() { return InterruptRequested(); }

// Sleeps up to `ms`, waking for any message, and handles what came.
void Nap(int ms) {
  Messages::WaitMessage(ms);
  Messages::PumpMessages();
}

std::string Trim(std::string_view text) { return std::string(TextKit::TrimSpacesTabs(text)); }

WaveOut::Device& Device() {
  State& s = S();
  if (!s.device) s.device = WaveOut::OpenChosen("wave");
  if (!s.deviceChosen) {
    s.deviceChosen = true;
    s.deviceIndex = -1;
    const std::string wanted = s.hooks.deviceSetting ? Trim(s.hooks.deviceSetting()) : std::string();
    if (!wanted.empty()) {
      const std::vector<std::string> names = ListOutputDevices();
      for (std::size_t i = 0; i < names.size(); ++i)
        if (Paths::SameName(names[i], wanted)) {
          s.deviceIndex = static_cast<int>(i);
          break;
        }
    }
  }
  return *s.device;
}

int InFlight() { return S().queued + S().loopQueued; }

int OpenFor(const WaveOut::Format& format) {
  State& s = S();
  WaveOut::Device& device = Device();
  if (s.open && !(format == s.openFormat)) {
    while (InFlight() > 0) Nap(5);
    device.Close();
    s.open = false;
  }
  if (!s.open) {
    const int rc = device.Open(s.deviceIndex, format);
    if (rc != WaveOut::kOk) return rc;
    s.open = true;
    s.openFormat = format;
  }
  return WaveOut::kOk;
}

std::string_view CompletionErrorText(int code) {
  switch (code) {
    case WaveOut::kErrInvalidHandle: return "Specified device handle is invalid.";
    case WaveOut::kErrNoDriver: return "No device driver is present.";
    case WaveOut::kErrNoMem: return "Unable to allocate or lock memory.";
    case WaveOut::kErrStillPlaying: return "The data block pointed to by the pwh parameter is still in queue";
    default: return {};
  }
}

// Unpreparing a returned buffer: only a buffer of the open device can be.
int Unprepare(uintptr_t index) {
  const State& s = S();
  if (!s.open || index >= static_cast<uintptr_t>(kBufferCount)) return WaveOut::kErrInvalidHandle;
  return WaveOut::kOk;
}

void FillLoop();

}  // namespace

void HandleCompletion(const Messages::Message& m) {
  State& s = S();
  if (const int code = Unprepare(m.data); code != WaveOut::kOk) {
    if (s.hooks.reportError) s.hooks.reportError(CompletionErrorText(code));
    return;
  }
  Buffer& b = s.buffers[m.data];
  // A completion for a buffer not in flight (one already returned) changes nothing.
  if (!b.inFlight) return;
  b.inFlight = false;
  if (b.loop) {
    b.loop = false;
    s.loopQueued = std::max(0, s.loopQueued - 1);
    FillLoop();
  } else {
    s.queued = std::max(0, s.queued - 1);
  }
}

namespace {

// Queues one piece of at most kBufferSize bytes; false when it was dropped or refused.
bool QueuePiece(const uint8_t* piece, std::size_t length, const WaveOut::Format& format, bool loop) {
  State& s = S();
  for (int retry = 0; retry < 40 && InFlight() >= kBufferCount; ++retry) {
    Messages::PumpMessages();
    const int64_t until = Messages::NowMs() + 50;
    while (InFlight() >= kBufferCount && Messages::NowMs() < until)
      Nap(static_cast<int>(until - Messages::NowMs()));
  }
  if (InFlight() >= kBufferCount) return false;
  const int index = s.next;
  Buffer& b = s.buffers[index];
  if (b.inFlight) return false;  // completions come in order; this cannot be, but never overwrite
  s.next = (s.next + 1) % kBufferCount;
  std::memcpy(b.data, piece, length);
  std::size_t played = length;
  if (format.bits == 8 && format.channels == 1) {
    if (length < 256) {
      std::memset(b.data + length, 128, 256 - length);
      played = 256;
    }
    if (length != kBufferSize && length > 0) b.data[length - 1] = 128;
  }
  b.inFlight = true;
  b.loop = loop;
  (loop ? s.loopQueued : s.queued)++;
  if (s.device->Write(b.data, played, static_cast<uintptr_t>(index)) != WaveOut::kOk) {
    b.inFlight = false;
    (loop ? s.loopQueued : s.queued)--;
    return false;
  }
  return true;
}

void FillLoop() {
  State& s = S();
  while (s.looping && s.loopQueued < 2 && InFlight() < kBufferCount) {
    const std::size_t n = std::min(kBufferSize, s.loopLength - s.loopOffset);
    if (!QueuePiece(s.loopData + s.loopOffset, n, s.loopFormat, true)) break;
    s.loopOffset = (s.loopOffset + n) % s.loopLength;
  }
}

void BellPlayer() { RingBell(); }

void TonePlayer(const uint8_t* image, std::size_t size) {
  if (image) PlayLoop(image, size);
  else StopLoop();
}

void InstallHooks() {
  WaveOut::SetBellPlayer(BellPlayer);
  WaveOut::SetTonePlayer(TonePlayer);
}

// Linked in, the sound queue takes over the console's bell and tones at once; the rest of
// the module starts at its first use.
[[maybe_unused]] const bool kInstalled = (InstallHooks(), true);

int RoundedFastRate(int rate) {
  const int64_t triple = static_cast<int64_t>(rate) * 3;  // 1.5 × rate = triple / 2
  int64_t r = triple / 2;
  if (triple % 2 != 0 && r % 2 != 0) ++r;  // a half goes to the even neighbour
  return static_cast<int>(std::min<int64_t>(r, 0x7FFFFFFF));
}

}  // namespace

Flags& WaveFlags() { return S().flags; }

void SetHooks(const Hooks& hooks) { S().hooks = hooks; }

bool InterruptRequested() {
  const State& s = S();
  return s.flags.interrupt && s.hooks.keyWaiting && s.hooks.keyWaiting();
}

std::vector<std::string> ListOutputDevices() {
  State& s = S();
  if (!s.device) s.device = WaveOut::OpenChosen("wave");
  std::vector<std::string> names = s.device->OutputNames();
  for (std::string& name : names) name = Trim(name);
  return names;
}

int PlaySamples(const uint8_t* data, std::size_t length, int rate, int channels, int bits) {
  State& s = S();
  if (s.looping || s.loopQueued > 0) StopLoop();
  const int soundRate = rate;
  if (s.flags.fastRate) rate = RoundedFastRate(rate);
  const bool cut = s.flags.speechCutting && channels == 1;
  const bool narrow = cut && bits == 16;
  const WaveOut::Format format{rate, narrow ? 8 : bits, channels};
  if (const int rc = OpenFor(format); rc != WaveOut::kOk) return rc;
  // A buffer that is not whole frames would shift every later frame on the device.
  const std::size_t frame = std::max<std::size_t>(1, static_cast<std::size_t>(channels * bits / 8));
  std::size_t at = 0;
  while (at < length) {
    while (InFlight() >= kBufferCount) {
      if (KeyWaiting()) {
        WaveStop();
        return WaveOut::kOk;
      }
      Nap(10);
    }
    if (KeyWaiting()) {
      WaveStop();
      return WaveOut::kOk;
    }
    const std::size_t n = std::min(kBufferSize, length - at);
    const uint8_t* piece = data + at;
    std::size_t pieceLength = n;
    if (cut) {
      if (narrow) pieceLength = NarrowTo8Bits(piece, n, s.cutBuffer);
      else std::memcpy(s.cutBuffer, piece, n);
      // The periods are those of the sound as recorded, whatever rate it is played at.
      pieceLength = CutSpeech(s.cutBuffer, pieceLength, soundRate);
      piece = s.cutBuffer;
    } else {
      pieceLength -= pieceLength % frame;
    }
    if (pieceLength > 0) QueuePiece(piece, pieceLength, format, false);
    at += n;
  }
  return WaveOut::kOk;
}

int PlayImage(const uint8_t* image, std::size_t size) {
  WaveFile::Info info;
  if (!WaveFile::ParseImage(image, size, info)) return -1;
  const uint64_t available = size - info.dataOffset;
  const std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(info.dataSize, available));
  const int rc = PlaySamples(image + info.dataOffset, length, info.rate, info.channels, info.bits);
  if (rc != WaveOut::kOk) return rc;
  return length < info.dataSize ? -1 : 0;
}

bool WaveIsPlaying() {
  State& s = S();
  Messages::PumpMessages();
  if (KeyWaiting() || s.queued == 0) WaveStop();
  return s.queued > 0;
}

void WaveStop() {
  State& s = S();
  if (s.open && s.queued > 0) s.device->Reset();
  Messages::PumpMessages();
}

void PlayLoop(const uint8_t* image, std::size_t size) {
  State& s = S();
  StopLoop();
  WaveFile::Info info;
  if (!WaveFile::ParseImage(image, size, info)) return;
  const std::size_t length =
      static_cast<std::size_t>(std::min<uint64_t>(info.dataSize, size - info.dataOffset));
  if (length == 0) return;
  if (s.queued > 0) WaveStop();
  const WaveOut::Format format{info.rate, info.bits, info.channels};
  if (OpenFor(format) != WaveOut::kOk) return;
  s.loopData = image + info.dataOffset;
  s.loopLength = length;
  s.loopOffset = 0;
  s.loopFormat = format;
  s.looping = true;
  FillLoop();
}

void StopLoop() {
  State& s = S();
  s.looping = false;
  if (s.open && s.loopQueued > 0) s.device->Reset();
  Messages::PumpMessages();
}

bool IsLooping() { return S().looping; }

void RingBell() {
  // The beep of the speech manager: the 8-byte pattern over 512 bytes, at 11025 Hz.
  static constexpr auto kBeep = [] {
    std::array<uint8_t, 512> beep{};
    constexpr uint8_t kPattern[8] = {128, 112, 96, 80, 64, 80, 96, 112};
    for (std::size_t i = 0; i < beep.size(); ++i) beep[i] = kPattern[i % 8];
    beep.back() = 128;
    return beep;
  }();
  Flags& flags = S().flags;
  const Flags saved = flags;
  flags.fastRate = false;
  flags.speechCutting = false;
  flags.interrupt = false;  // the bell of a key's echo must sound
  PlaySamples(kBeep.data(), kBeep.size(), 11025, 1, 8);
  flags = saved;
}

int ChosenDevice() {
  Device();
  return S().deviceIndex;
}

int BuffersInFlight() { return InFlight(); }

void CloseSoundQueue() {
  State& s = S();
  s.looping = false;
  if (s.device) s.device->Close();
  s.open = false;
  s.device.reset();
  for (Buffer& b : s.buffers) b.inFlight = b.loop = false;
  s.queued = s.loopQueued = 0;
  s.next = 0;
}

void ResetSoundQueue(std::unique_ptr<WaveOut::Device> device) {
  State& s = S();
  CloseSoundQueue();
  s.device = std::move(device);
  s.deviceChosen = false;
  s.deviceIndex = -1;
  s.flags = Flags{};
  s.loopData = nullptr;
  s.loopLength = s.loopOffset = 0;
  InstallHooks();
}

}  // namespace SoundQueue
