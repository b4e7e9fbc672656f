// Test support: a sound card that plays everything at once and keeps the 11025 Hz 8-bit
// mono sound it was given, so that tests hear what the voice said without waiting.
#pragma once

#include <memory>
#include <vector>

#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"
#include "audio/sound_queue.h"
#include "platform/audio/waveout.h"

class RecordingDevice final : public WaveOut::Device {
 public:
  explicit RecordingDevice(std::vector<uint8_t>& out) : out_(out) {}
  const char* Name() const override { return "recording"; }
  std::vector<std::string> OutputNames() override { return {"Gravador"}; }
  int Open(int, const WaveOut::Format& format) override {
    format_ = format;
    return WaveOut::kOk;
  }
  int OpenStream(int, const WaveOut::Format&, WaveOut::RenderFn, void*) override { return WaveOut::kErrBadDevice; }
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    if (format_.bits == 8 && format_.channels == 1 && format_.rate == 11025) out_.insert(out_.end(), data, data + length);
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
  std::vector<uint8_t>& out_;
  WaveOut::Format format_;
};

// Puts the voice's data on the test's drive C, plays into `sound` and starts the voice at
// `speed`; false when the generated data is missing.
inline bool StartRecordedVoice(std::vector<uint8_t>& sound, int speed) {
  Paths::EnsureDriveC();
  if (!SpeechData::InstallSpeechData() || !SpeechData::InstallDiphoneData()) return false;
  SoundQueue::ResetSoundQueue(std::make_unique<RecordingDevice>(sound));
  Speech::InitSpeech(speed, "");
  return true;
}
