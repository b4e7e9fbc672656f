// The SDL2 audio device (PipeWire, PulseAudio or ALSA underneath): SDL's audio thread pulls
// the queued buffers from a lock-free ring; the main thread posts their completions from
// the event loop, which looks every few milliseconds while buffers are queued. SDL converts
// our format to the card's.
#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/audio/waveout.h"
#include "platform/audio/waveout_ring.h"

namespace WaveOut {
namespace {

// Small, so that a reset is silent soon: the card's own buffer is what is left to hear.
constexpr Uint16 kDeviceSamples = 128;
// How often the event loop looks for finished buffers while some are queued: well within
// one device period, so that the next buffer is queued before the card needs it.
constexpr int kCollectEveryMs = 2;

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
    RingCollect(ring_);  // frees the slots of finished buffers
    return RingWrite(ring_, data, length, tag) ? kOk : kErrStillPlaying;
  }
  void Reset() override {
    if (device_ != 0) {
      // Held only while two counters are set: the callback waits for nothing longer.
      SDL_LockAudioDevice(device_);
      RingFlush(ring_);
      SDL_UnlockAudioDevice(device_);
    }
    RingCollect(ring_);
  }
  void Close() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // returns once the callback is done
    device_ = 0;
    render_ = nullptr;
    RingFlush(ring_);
    RingCollect(ring_);
    if (source_ != 0) Messages::RemoveSource(source_);
    source_ = 0;
  }
  int Pending() const override {
    RingCollect(ring_);
    return RingPending(ring_);
  }
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
    // While open, the event loop collects the finished buffers.
    Messages::Source src;
    src.fd = [] { return -1; };
    src.dueInMs = [this] {
      if (RingFinished(ring_)) return 0;
      return RingPending(ring_) > 0 ? kCollectEveryMs : -1;
    };
    src.drain = [this] { RingCollect(ring_); };
    source_ = Messages::AddSource(std::move(src));
    SDL_PauseAudioDevice(device_, 0);
    return kOk;
  }

  // SDL's audio thread: no lock, no system call, nothing but copying.
  static void Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlDevice*>(userdata);
    const auto bytes = static_cast<std::size_t>(len);
    if (self->render_) return self->render_(self->renderContext_, stream, bytes);
    const std::size_t got = RingPull(self->ring_, stream, bytes);
    if (got < bytes) std::memset(stream + got, self->silence_, bytes - got);
  }

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec obtained_{};
  uint8_t silence_ = 0;
  RenderFn render_ = nullptr;
  void* renderContext_ = nullptr;
  mutable BufferRing ring_;
  int source_ = 0;
  std::vector<std::string> utf8Names_;
};

extern "C" void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// The sound libraries below SDL complain on standard error about every card they do not
// find (the user's screen, in a terminal); their own logging is turned off instead, so that
// standard error stays where it was for everything else.
void SilenceSoundLibraries() {
  // ALSA: its error handler, set in the copy of the library SDL will load.
  if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"))) set(SilentAlsaError);
  }
}

}  // namespace

std::unique_ptr<Device> OpenSdl() {
  SilenceSoundLibraries();
  // PipeWire takes its log level when SDL starts it; the user's own choice stays.
  const bool quietPipeWire = std::getenv("PIPEWIRE_DEBUG") == nullptr;
  if (quietPipeWire) setenv("PIPEWIRE_DEBUG", "0", 1);
  const int init = SDL_InitSubSystem(SDL_INIT_AUDIO);
  if (quietPipeWire) unsetenv("PIPEWIRE_DEBUG");  // not for the programs started later
  if (init != 0) return nullptr;
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
