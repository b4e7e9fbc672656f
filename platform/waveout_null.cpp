// The null audio device: plays nothing, but takes its buffers at the real rate, so that
// waits, interruption and "is it still playing" behave as they do on a sound card.
#include "platform/waveout_queue.h"

namespace WaveOut {
namespace {

class NullDevice final : public Device {
 public:
  NullDevice() { PacerStart(pacer_, nullptr, nullptr); }
  ~NullDevice() override { PacerStop(pacer_); }
  const char* Name() const override { return "null"; }
  std::vector<std::string> OutputNames() override { return {}; }
  int Open(int, const Format& format) override { return PacerOpen(pacer_, format, nullptr, nullptr); }
  int OpenStream(int, const Format& format, RenderFn render, void* context) override {
    return PacerOpen(pacer_, format, render, context);
  }
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    return PacerWrite(pacer_, data, length, tag);
  }
  void Reset() override { QueueFlush(pacer_.queue); }
  void Close() override { PacerClose(pacer_); }
  int Pending() const override { return QueueCount(pacer_.queue); }
  double LatencyMs() const override { return 0; }

 private:
  mutable Pacer pacer_;
};

}  // namespace

std::unique_ptr<Device> OpenNull() { return std::make_unique<NullDevice>(); }

}  // namespace WaveOut
