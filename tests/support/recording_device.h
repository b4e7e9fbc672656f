// Test support: a recording sound card for tests and benchmarks. It plays everything at once
// (or, held, keeps every buffer "playing" until a reset), hands what it was given to a sink,
// and notes the formats, the seconds of sound, the first write and the reset.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_queue.h"
#include "platform/audio/waveout.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"

class RecordingDevice final : public WaveOut::Device {
 public:
  using Clock = std::chrono::steady_clock;
  // Where each buffer written goes, with the format the device was opened with.
  using Sink = std::function<void(const WaveOut::Format&, const uint8_t*, std::size_t)>;
  enum class Pace {
    Instant,  // every buffer is done as soon as it is written
    Held,     // buffers stay queued until a reset (a stream is accepted and never pulled)
  };

  explicit RecordingDevice(Sink sink = {}, Pace pace = Pace::Instant) : sink_(std::move(sink)), pace_(pace) {}

  // The recorded voice's sound (11025 Hz 8-bit mono) appended to `out`, nothing else.
  static std::unique_ptr<RecordingDevice> Voice(std::vector<uint8_t>& out) {
    return std::make_unique<RecordingDevice>([&out](const WaveOut::Format& f, const uint8_t* data, std::size_t length) {
      if (f.bits == 8 && f.channels == 1 && f.rate == 11025) out.insert(out.end(), data, data + length);
    });
  }
  // 16-bit samples appended to `out`, the format of every opening to `formats`.
  static std::unique_ptr<RecordingDevice> Samples16(std::vector<int16_t>& out, std::vector<WaveOut::Format>& formats) {
    auto device = std::make_unique<RecordingDevice>([&out](const WaveOut::Format& f, const uint8_t* data, std::size_t length) {
      if (f.bits == 16)
        for (std::size_t i = 0; i + 1 < length; i += 2) out.push_back(static_cast<int16_t>(data[i] | data[i + 1] << 8));
    });
    device->formats_ = &formats;
    return device;
  }

  // What it noted: whether anything was written since `wrote` was last cleared and when the
  // first of it came, when the last reset came, and the seconds of sound written.
  bool wrote = false;
  Clock::time_point firstWrite{}, reset{};
  double seconds = 0;

  const char* Name() const override { return "recording"; }
  std::vector<std::string> OutputNames() override { return {"Gravador"}; }
  int Open(int, const WaveOut::Format& format) override {
    format_ = format;
    if (formats_) formats_->push_back(format);
    return WaveOut::kOk;
  }
  int OpenStream(int, const WaveOut::Format&, WaveOut::RenderFn, void*) override {
    return pace_ == Pace::Held ? WaveOut::kOk : WaveOut::kErrBadDevice;
  }
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    if (!wrote) firstWrite = Clock::now();
    wrote = true;
    if (format_.rate > 0 && format_.BlockAlign() > 0)
      seconds += static_cast<double>(length) / format_.BlockAlign() / format_.rate;
    if (sink_) sink_(format_, data, length);
    if (pace_ == Pace::Held) pending_.push_back(tag);
    else Done(tag);
    return WaveOut::kOk;
  }
  void Reset() override {
    reset = Clock::now();
    for (uintptr_t tag : pending_) Done(tag);
    pending_.clear();
  }
  void Close() override {
    if (pace_ == Pace::Held) Reset();
  }
  int Pending() const override { return static_cast<int>(pending_.size()); }
  double LatencyMs() const override { return 0; }

 private:
  static void Done(uintptr_t tag) {
    Messages::Message done;
    done.kind = Messages::Kind::WaveDone;
    done.data = tag;
    Messages::Post(done);
  }

  Sink sink_;
  Pace pace_;
  std::vector<WaveOut::Format>* formats_ = nullptr;
  WaveOut::Format format_;
  std::vector<uintptr_t> pending_;
};

// Puts the voice's data on the test's drive C, plays into `sound` and starts the voice at
// `speed`; false when the generated data is missing.
inline bool StartRecordedVoice(std::vector<uint8_t>& sound, int speed) {
  Paths::EnsureDriveC();
  if (!SpeechData::InstallSpeechData() || !SpeechData::InstallDiphoneData()) return false;
  SoundQueue::ResetSoundQueue(RecordingDevice::Voice(sound));
  Speech::InitSpeech(speed, "");
  return true;
}
