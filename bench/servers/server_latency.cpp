// How fast each speech server starts and stops through the runtime, beside the server
// alone: Speak to the first sample (SAPI 4, eSpeak NG) or to Speech Dispatcher's begin
// notice (SAPI 5), and a key to silence, with the same figures taken from eSpeak NG's library
// and from a bare libspeechd client in the same run. The SAPI 5 figures use a private
// Speech Dispatcher with its eSpeak NG module and no sound card.
// Run by hand: build/…/bench/servers/server_latency [tries]
#include <libspeechd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "platform/headless/console_headless.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/speech/sapi4_espeak.h"
#include "speech/server_sapi5.h"
#include "speech/speech.h"
#include "speech/diphone_data.h"
#include "speech/speech_data.h"
#include "speech/speech_state.h"
#include "tests/support/private_speechd.h"
#include "audio/sound_queue.h"
#include "tests/support/recording_device.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// A device that holds every buffer until reset, noting the first write and the reset.
RecordingDevice* device = nullptr;

void FreshDevice() {
  auto owned = std::make_unique<RecordingDevice>(RecordingDevice::Sink{}, RecordingDevice::Pace::Held);
  device = owned.get();
  SoundQueue::ResetSoundQueue(std::move(owned));
}

// Queues Esc once `ready()` holds (and `afterMs` have passed), noting when.
int KeyWhen(bool (*ready)(), int afterMs, Clock::time_point* at) {
  const auto start = Clock::now();
  Messages::Source key;
  key.fd = [] { return -1; };
  // Due (0) once the condition holds and the time has passed; the loop drains only what is due.
  key.dueInMs = [=] {
    if (*at != Clock::time_point{}) return -1;
    if (!ready()) return 1;
    return std::max(0, afterMs - static_cast<int>(Ms(Clock::now() - start)));
  };
  key.drain = [=] {
    if (*at != Clock::time_point{} || !ready() || Ms(Clock::now() - start) < afterMs) return;
    *at = Clock::now();
    const uint8_t esc = 27;
    Keyboard::QueueBytes(&esc, 1);
  };
  return Messages::AddSource(std::move(key));
}

bool DeviceWrote() { return device->wrote; }
bool Always() { return true; }

void StartSpeech(const std::string& servFala) {
  const std::filesystem::path file = std::filesystem::path(getenv("XDG_CONFIG_HOME")) / "Auris" / "Auris.ini";
  std::filesystem::create_directories(file.parent_path());
  FILE* f = std::fopen(file.c_str(), "wb");
  std::fprintf(f, "[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\n%s", servFala.c_str());
  std::fclose(f);
  Settings::ResetSettings();
  Speech::InitSpeech(0, "");
}

const char* kSentence = "Amanhã vamos ao mercado comprar frutas e verduras bem cedo";

// SAPI 4: Speak to the first sample on the device.
double Sapi4FirstSample() {
  FreshDevice();
  Clock::time_point keyAt{};
  const int id = KeyWhen(DeviceWrote, 0, &keyAt);
  const auto start = Clock::now();
  Speech::Speak(Cp1252::FromUtf8(kSentence));
  Speech::WaitForSilence();
  Messages::RemoveSource(id);
  Keyboard::ClearQueue();
  return device->wrote ? Ms(device->firstWrite - start) : -1;
}

// SAPI 4: a key 300 ms into a long text to the device's reset.
double Sapi4KeyToSilence() {
  FreshDevice();
  Clock::time_point keyAt{};
  const int id = KeyWhen(Always, 300, &keyAt);
  std::string text;
  for (int i = 0; i < 10; ++i) text += std::string(kSentence) + ". ";
  Speech::Speak(Cp1252::FromUtf8(text));
  Speech::WaitForSilence();
  Messages::RemoveSource(id);
  Keyboard::ClearQueue();
  return Ms(device->reset - keyAt);
}

// eSpeak NG's library alone: the call to its first samples.
double EspeakFirstSample() {
  static Clock::time_point first;
  const auto start = Clock::now();
  first = {};
  Sapi4Espeak::Synthesize(kSentence, [](const int16_t*, int, void*) {
    first = Clock::now();
    return false;
  }, nullptr);
  return first != Clock::time_point{} ? Ms(first - start) : -1;
}

// SAPI 5: Speak to Speech Dispatcher's begin notice, then a key to silence.
void Sapi5Figures(double& firstBegin, double& keyToSilence) {
  Sapi5Voice::St().lastBeginMs = -1;
  const int64_t start = Messages::NowMs();
  Speech::Speak(Cp1252::FromUtf8(std::string(kSentence) + ". " + kSentence + ". " + kSentence));
  while (Sapi5Voice::St().lastBeginMs < 0 && Messages::NowMs() - start < 5000) {
    Messages::WaitMessage(1);
    Messages::PumpMessages();
  }
  firstBegin = Sapi5Voice::St().lastBeginMs >= 0 ? static_cast<double>(Sapi5Voice::St().lastBeginMs - start) : -1;
  const uint8_t esc = 27;
  const auto keyAt = Clock::now();
  Keyboard::QueueBytes(&esc, 1);
  while (Speech::IsSpeaking()) Messages::WaitMessage(1);
  keyToSilence = Ms(Clock::now() - keyAt);
  Keyboard::ClearQueue();
}

// A bare libspeechd client: spd_say to the begin notice, spd_cancel to the cancel notice.
std::atomic<int64_t> peerBegin{-1}, peerCancel{-1};
void PeerBegin(size_t, size_t, SPDNotificationType) { peerBegin = Messages::NowMs(); }
void PeerCancel(size_t, size_t, SPDNotificationType) { peerCancel = Messages::NowMs(); }

void PeerFigures(SPDConnection* c, double& firstBegin, double& cancel) {
  peerBegin = -1;
  peerCancel = -1;
  const int64_t start = Messages::NowMs();
  const std::string text = std::string(kSentence) + ". " + kSentence + ". " + kSentence;
  spd_say(c, SPD_TEXT, text.c_str());
  while (peerBegin < 0 && Messages::NowMs() - start < 5000) std::this_thread::sleep_for(std::chrono::microseconds(200));
  firstBegin = peerBegin >= 0 ? static_cast<double>(peerBegin - start) : -1;
  const int64_t cancelAt = Messages::NowMs();
  spd_cancel(c);
  while (peerCancel < 0 && Messages::NowMs() - cancelAt < 5000) std::this_thread::sleep_for(std::chrono::microseconds(200));
  cancel = peerCancel >= 0 ? static_cast<double>(peerCancel - cancelAt) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const int tries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "fonix_server_bench";
  std::filesystem::remove_all(root);
  setenv("FONIX_DRIVE_C", (root / "c").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  setenv("FONIX_AUDIO", "null", 1);
  Paths::ResetPaths();
  Paths::EnsureDriveC();
  if (!SpeechData::InstallSpeechData() || !SpeechData::InstallDiphoneData()) {
    std::fprintf(stderr, "the generated speech data is missing: build the project first\n");
    return 1;
  }
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));

  StartSpeech("TIPOSAPI=4\r\n");
  if (!Speech::St().serverActive) {
    std::fprintf(stderr, "the SAPI 4 voice (eSpeak NG) did not open\n");
    return 1;
  }
  std::vector<double> ours, theirs, silence;
  for (int i = 0; i < tries; ++i) {
    ours.push_back(Sapi4FirstSample());
    theirs.push_back(EspeakFirstSample());
    silence.push_back(Sapi4KeyToSilence());
  }
  std::printf("SAPI 4 (eSpeak NG), ten words, %d tries, medians:\n", tries);
  std::printf("  Speak to first sample: fonix %.3f ms, eSpeak NG library alone %.3f ms\n", Median(ours),
              Median(theirs));
  std::printf("  key to silence: fonix %.3f ms (max %.3f ms)\n", Median(silence),
              *std::max_element(silence.begin(), silence.end()));
  Speech::CloseSpeech();

  PrivateSpeechd server("espeak-ng");
  if (!server.Started()) {
    std::fprintf(stderr, "%s\n", server.Error().c_str());
    return 1;
  }
  StartSpeech("TIPOSAPI=5\r\n");
  if (!Speech::St().serverActive) {
    std::fprintf(stderr, "the SAPI 5 voice (Speech Dispatcher) did not open\n");
    return 1;
  }
  char* error = nullptr;
  SPDConnection* peer = spd_open2("bench-peer", "main", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
  std::free(error);
  if (!peer) {
    std::fprintf(stderr, "the bare client did not connect\n");
    return 1;
  }
  peer->callback_begin = PeerBegin;
  peer->callback_cancel = PeerCancel;
  spd_set_notification_on(peer, SPD_BEGIN);
  spd_set_notification_on(peer, SPD_CANCEL);
  spd_set_language(peer, "pt-BR");
  std::vector<double> ourBegin, ourStop, peerBeginMs, peerStop;
  for (int i = 0; i < tries; ++i) {
    double b = 0, s = 0;
    Sapi5Figures(b, s);
    ourBegin.push_back(b);
    ourStop.push_back(s);
    PeerFigures(peer, b, s);
    peerBeginMs.push_back(b);
    peerStop.push_back(s);
  }
  std::printf("SAPI 5 (Speech Dispatcher, eSpeak NG module, no sound card), %d tries, medians:\n", tries);
  std::printf("  Speak to begin notice: fonix %.1f ms, bare libspeechd client %.1f ms\n", Median(ourBegin),
              Median(peerBeginMs));
  std::printf("  key to silence (cancel noticed): fonix %.1f ms, bare client spd_cancel to its notice %.1f ms\n",
              Median(ourStop), Median(peerStop));
  spd_close(peer);
  Speech::CloseSpeech();
  std::filesystem::remove_all(root);
  return 0;
}
