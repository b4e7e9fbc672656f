// How fast the default voice starts and stops: the time from Speak of a number, one
// character, a word or a ten-word sentence to its first sample reaching the audio device,
// the synthesizer's real-time factor, and the time from a key to silence while a long text
// is spelled; beside eSpeak NG's figures for the same texts.
// Run by hand: build/…/bench/speech/speech_latency [tries]
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/headless/console_headless.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"
#include "tests/support/recording_device.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A device that holds every buffer until reset, noting the first write and the reset.
RecordingDevice* device = nullptr;

void FreshDevice() {
  auto owned = std::make_unique<RecordingDevice>(RecordingDevice::Sink{}, RecordingDevice::Pace::Held);
  device = owned.get();
  SoundQueue::ResetSoundQueue(std::move(owned));
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Our time from Speak to the first sample on the device.
double OurFirstSample(const std::string& text) {
  FreshDevice();
  const auto start = Clock::now();
  // A key queued after the first sample ends the sound so that Speak returns.
  Messages::Source stopper;
  stopper.fd = [] { return -1; };
  stopper.dueInMs = [] { return device->wrote && Keyboard::QueueCount() == 0 ? 0 : 5; };
  stopper.drain = [] {
    if (!device->wrote || Keyboard::QueueCount() > 0) return;
    const uint8_t esc = 27;
    Keyboard::QueueBytes(&esc, 1);
  };
  const int id = Messages::AddSource(std::move(stopper));
  Speech::Speak(text);
  Messages::RemoveSource(id);
  Keyboard::ClearQueue();
  return device->wrote ? Ms(device->firstWrite - start) : -1;
}

// Our time from a key to silence while a long text is spelled.
double OurKeyToSilence() {
  FreshDevice();
  Clock::time_point keyAt{};
  Messages::Source key;
  key.fd = [] { return -1; };
  const auto start = Clock::now();
  key.dueInMs = [&] {
    if (keyAt != Clock::time_point{}) return -1;
    const double left = 300 - Ms(Clock::now() - start);
    return left > 0 ? static_cast<int>(left) : 0;
  };
  key.drain = [&] {
    if (keyAt != Clock::time_point{} || Ms(Clock::now() - start) < 300) return;
    keyAt = Clock::now();
    const uint8_t esc = 27;
    Keyboard::QueueBytes(&esc, 1);
  };
  const int id = Messages::AddSource(std::move(key));
  Speech::Spell(std::string(2000, 'a'));
  while (SoundQueue::WaveIsPlaying()) {
  }
  Messages::RemoveSource(id);
  Keyboard::ClearQueue();
  return Ms(device->reset - keyAt);
}

// eSpeak NG's time from the call to its first samples, and the samples it made.
struct EspeakProbe {
  Clock::time_point first{};
  bool seen = false;
  long samples = 0;
};

int OnSamples(short* wav, int samples, espeak_EVENT* events) {
  auto* probe = static_cast<EspeakProbe*>(events->user_data);
  if (wav && samples > 0 && !probe->seen) {
    probe->first = Clock::now();
    probe->seen = true;
  }
  if (wav) probe->samples += samples;
  return 0;  // synthesis runs to its end: an aborted one leaves samples for the next call
}

double EspeakFirstSample(const std::string& utf8) {
  EspeakProbe probe;
  const auto start = Clock::now();
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &probe);
  return probe.seen ? Ms(probe.first - start) : -1;
}

// The synthesizer's real-time factor: the time it takes over the length of what it made.
double OurRealTimeFactor(const std::string& text) {
  // A device that plays everything at once, counting the seconds of sound it was given.
  auto owned = std::make_unique<RecordingDevice>();
  RecordingDevice* instant = owned.get();
  SoundQueue::ResetSoundQueue(std::move(owned));
  auto& timing = Speech::St().timing;
  const auto saved = timing;
  timing.pausaPonto = timing.pausaVirg = timing.pausaDoisPontos = 0;  // waits are no work
  const auto start = Clock::now();
  Speech::Speak(text);
  const double spent = Ms(Clock::now() - start) / 1000;
  timing = saved;
  return spent / instant->seconds;
}

double EspeakRealTimeFactor(const std::string& utf8) {
  EspeakProbe probe;
  const auto start = Clock::now();
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &probe);
  return Ms(Clock::now() - start) / 1000 / (probe.samples / 22050.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int tries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "fonix_speech_bench";
  std::filesystem::remove_all(root);
  setenv("FONIX_DRIVE_C", (root / "c").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  Paths::ResetPaths();
  Paths::EnsureDriveC();
  if (!SpeechData::InstallSpeechData() || !SpeechData::InstallDiphoneData()) {
    std::fprintf(stderr, "the generated speech data is missing: build the project first\n");
    return 1;
  }
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
  Speech::InitSpeech(0, "");

  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0) < 0 || espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "eSpeak NG did not start\n");
    return 1;
  }
  espeak_SetSynthCallback(OnSamples);

  struct Case {
    const char* label;
    std::string text;
  };
  const std::string sentence = "Amanhã vamos ao mercado comprar frutas e verduras bem cedo";
  const Case cases[] = {{"number 1234", "1234"}, {"character ;", ";"}, {"word casa", "casa"},
                        {"ten words", sentence}};
  std::printf("%-14s %18s %18s\n", "first sample", "fonix median ms", "eSpeak NG median ms");
  for (const Case& c : cases) {
    std::vector<double> ours, theirs;
    for (int i = 0; i < tries; ++i) {
      ours.push_back(OurFirstSample(Cp1252::FromUtf8(c.text)));
      theirs.push_back(EspeakFirstSample(c.text));
    }
    std::printf("%-14s %18.3f %18.3f\n", c.label, Median(ours), Median(theirs));
  }
  std::vector<double> silence;
  for (int i = 0; i < tries; ++i) silence.push_back(OurKeyToSilence());
  std::printf("key to silence while spelling: median %.3f ms, max %.3f ms (%d tries)\n", Median(silence),
              *std::max_element(silence.begin(), silence.end()), tries);
  std::vector<double> ourFactor, theirFactor;
  for (int i = 0; i < tries; ++i) {
    ourFactor.push_back(OurRealTimeFactor(Cp1252::FromUtf8(sentence)));
    theirFactor.push_back(EspeakRealTimeFactor(sentence));
  }
  std::printf("real-time factor, ten words: fonix %.4f, eSpeak NG %.4f (medians)\n", Median(ourFactor),
              Median(theirFactor));
  espeak_Terminate();
  std::filesystem::remove_all(root);
  return 0;
}
