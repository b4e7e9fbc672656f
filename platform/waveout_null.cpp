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
    if (!IsOpen()) return kErrInvalidHandle;
    const int rc = QueuePush(pacer_.queue, data, length, tag);
    pacer_.wake.notify_all();
    return rc;
  }
  void Reset() override { QueueFlush(pacer_.queue); }
  void Close() override { PacerClose(pacer_); }
  int Pending() const override { return QueueCount(pacer_.queue); }
  double LatencyMs() const override { return 0; }

 private:
  bool IsOpen() const {
    std::lock_guard<std::mutex> guard(pacer_.queue.lock);
    return pacer_.open;
  }
  mutable Pacer pacer_;
};

}  // namespace

std::unique_ptr<Device> OpenNull() { return std::make_unique<NullDevice>(); }

}  // namespace WaveOut
