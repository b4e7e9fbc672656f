// Test support: a sound card that plays everything at once and keeps the 16-bit sound it
// was given, with the format it was opened with.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/events/messages.h"
#include "platform/audio/waveout.h"

class KeepingDevice final : public WaveOut::Device {
 public:
  explicit KeepingDevice(std::vector<int16_t>& out, std::vector<WaveOut::Format>& formats) : out_(out), formats_(formats) {}
  const char* Name() const override { return "keeping"; }
  std::vector<std::string> OutputNames() override { return {"Gravador"}; }
  int Open(int, const WaveOut::Format& format) override {
    format_ = format;
    formats_.push_back(format);
    return WaveOut::kOk;
  }
  int OpenStream(int, const WaveOut::Format&, WaveOut::RenderFn, void*) override { return WaveOut::kErrBadDevice; }
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    if (format_.bits == 16)
      for (std::size_t i = 0; i + 1 < length; i += 2) out_.push_back(static_cast<int16_t>(data[i] | data[i + 1] << 8));
    Messages::Message done;
    done.kind = Messages::Kind::WaveDone;
    done.data = tag;
    Messages::Post(done);
    return WaveOut::kOk;
  }
  void Reset() override {}
  void Close() override {}
  int Pending() const override { return 0; }
  double LatencyMs() const override { return 0; }

 private:
  std::vector<int16_t>& out_;
  std::vector<WaveOut::Format>& formats_;
  WaveOut::Format format_;
};
