// The null audio device: plays nothing, but takes its buffers at the real rate, so that
// waits, interruption and "is it still playing" behave as they do on a sound card; and its
// unpaced form, which takes every buffer the moment it is written (fuzzing, tools).
#include "platform/events/messages.h"
#include "platform/audio/waveout_queue.h"

namespace WaveOut {
namespace {

class NullDevice final : public PacedDevice {
 public:
  NullDevice() { PacerStart(pacer_, nullptr, nullptr); }
  ~NullDevice() override { PacerStop(pacer_); }
  const char* Name() const override { return "null"; }
  std::vector<std::string> OutputNames() override { return {}; }
  int Open(int, const Format& format) override { return PacerOpen(pacer_, format, nullptr, nullptr); }
  int OpenStream(int, const Format& format, RenderFn render, void* context) override {
    return PacerOpen(pacer_, format, render, context);
  }
};

// Each buffer is done as soon as it is written: its completion is posted at once.
class UnpacedNullDevice final : public Device {
 public:
  const char* Name() const override { return "null"; }
  std::vector<std::string> OutputNames() override { return {}; }
  int Open(int, const Format& format) override { return OpenWith(format); }
  int OpenStream(int, const Format& format, RenderFn, void*) override { return OpenWith(format); }
  int Write(const uint8_t*, std::size_t, uintptr_t tag) override {
    if (!open_) return kErrInvalidHandle;
    Messages::Message m;
    m.kind = Messages::Kind::WaveDone;
    m.data = tag;
    Messages::Post(m);
    return kOk;
  }
  void Reset() override {}
  void Close() override { open_ = false; }
  int Pending() const override { return 0; }
  double LatencyMs() const override { return 0; }

 private:
  int OpenWith(const Format& format) {
    if (!FormatSupported(format)) return kErrBadFormat;
    if (open_) return kErrAllocated;
    open_ = true;
    return kOk;
  }
  bool open_ = false;
};

}  // namespace

std::unique_ptr<Device> OpenNull(Pacing pacing) {
  if (pacing == Pacing::None) return std::make_unique<UnpacedNullDevice>();
  return std::make_unique<NullDevice>();
}

}  // namespace WaveOut
