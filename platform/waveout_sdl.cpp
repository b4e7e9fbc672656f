// The SDL2 audio device (PipeWire, PulseAudio or ALSA underneath): SDL's audio thread pulls
// the queued buffers and posts their completions; SDL converts our format to the card's.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/cp1252.h"
#include "platform/waveout_queue.h"

namespace WaveOut {
namespace {

// Small, so that a reset is silent soon: the card's own buffer is what is left to hear.
constexpr Uint16 kDeviceSamples = 128;

class SdlDevice final : public Device {
 public:
  ~SdlDevice() override {
    Close();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  const char* Name() const override { return "sdl"; }
  std::vector<std::string> OutputNames() override {
    std::vector<std::string> names;
    const int n = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < n; ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      names.push_back(Cp1252::FromUtf8(name ? name : ""));
      utf8Names_.resize(names.size());
      utf8Names_[i] = name ? name : "";
    }
    return names;
  }
  int Open(int index, const Format& format) override { return OpenWith(index, format, nullptr, nullptr); }
  int OpenStream(int index, const Format& format, RenderFn render, void* context) override {
    return OpenWith(index, format, render, context);
  }
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    if (device_ == 0) return kErrInvalidHandle;
    return QueuePush(queue_, data, length, tag);
  }
  void Reset() override { QueueFlush(queue_); }
  void Close() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // returns once the callback is done
    device_ = 0;
    render_ = nullptr;
    QueueFlush(queue_);
  }
  int Pending() const override { return QueueCount(queue_); }
  double LatencyMs() const override {
    return obtained_.freq > 0 ? 1000.0 * obtained_.samples / obtained_.freq : 0;
  }

 private:
  int OpenWith(int index, const Format& format, RenderFn render, void* context) {
    if (!FormatSupported(format)) return kErrBadFormat;
    if (device_ != 0) return kErrAllocated;
    if (index >= 0 && index >= static_cast<int>(utf8Names_.size())) OutputNames();
    if (index >= static_cast<int>(utf8Names_.size())) return kErrBadDevice;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = format.rate;
    want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = kDeviceSamples;
    want.callback = Callback;
    want.userdata = this;
    silence_ = format.bits == 8 ? 128 : 0;
    render_ = render;
    renderContext_ = context;
    device_ = SDL_OpenAudioDevice(index < 0 ? nullptr : utf8Names_[index].c_str(), 0, &want, &obtained_, 0);
    if (device_ == 0) {
      render_ = nullptr;
      return kErrBadDevice;
    }
    SDL_PauseAudioDevice(device_, 0);
    return kOk;
  }

  static void Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlDevice*>(userdata);
    const auto bytes = static_cast<std::size_t>(len);
    if (self->render_) return self->render_(self->renderContext_, stream, bytes);
    const std::size_t got = QueuePull(self->queue_, stream, bytes);
    if (got < bytes) std::memset(stream + got, self->silence_, bytes - got);
  }

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec obtained_{};
  uint8_t silence_ = 0;
  RenderFn render_ = nullptr;
  void* renderContext_ = nullptr;
  mutable BufferQueue queue_;
  std::vector<std::string> utf8Names_;
};

}  // namespace

// While the audio drivers probe for cards, the sound libraries below SDL print their
// complaints about missing ones on standard error, which is the user's screen in a
// terminal; they are not the user's business, so standard error is closed meanwhile.
class QuietStderr {
 public:
  QuietStderr() : saved_(dup(STDERR_FILENO)) {
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~QuietStderr() {
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_;
};

std::unique_ptr<Device> OpenSdl() {
  const QuietStderr quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  // A machine without any output: let the caller fall back to the null device.
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = 16000;
  want.format = AUDIO_S16LSB;
  want.channels = 1;
  want.samples = kDeviceSamples;
  want.callback = [](void*, Uint8* stream, int len) { std::memset(stream, 0, static_cast<std::size_t>(len)); };
  const SDL_AudioDeviceID probe = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (probe == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_CloseAudioDevice(probe);
  return std::make_unique<SdlDevice>();
}

}  // namespace WaveOut
