// How fast the editor and the menu answer a key: the time from a key arriving to the first
// sample of its answer reaching the audio device, for a typed character's echo in the line
// editor and for the next item's name after Down in a menu of 10 000 items (each key
// arriving while the previous answer still plays), beside eSpeak NG's time to its first
// samples for the same texts, and the sound card's own buffer that comes on top.
// Run by hand: build/…/bench/editor/editor_latency [keys]
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
#include "ui/line_editor.h"
#include "interpreter/menu.h"
#include "platform/headless/console_headless.h"
#include "platform/text/cp1252.h"
#include "platform/events/keys.h"
#include "platform/headless/keyscript.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "speech/speech.h"
#include "speech/diphone_data.h"
#include "speech/speech_data.h"
#include "audio/sound_queue.h"
#include "tests/support/recording_device.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A sound card that takes every buffer at once and keeps it "playing" until a reset, and
// notes when the first sample after a key arrives.
RecordingDevice* device = nullptr;

// Types the keys one by one, each once the answer to the previous one has reached the
// device, noting when each arrived; the last key's answer is not waited for.
struct Typist {
  std::vector<KeyScript::Item> keys;
  std::size_t next = 0;
  Clock::time_point arrived{};
  std::vector<double> latencies;

  void Drain() {
    if (next >= keys.size() || !device->wrote || Keyboard::QueueCount() > 0) return;
    if (next > 0) latencies.push_back(Ms(device->firstWrite - arrived));
    device->wrote = false;
    arrived = Clock::now();
    for (const Messages::Message& m : KeyScript::ToMessages(keys[next++])) Messages::Post(m);
  }
};

int AddTypist(Typist& typist) {
  Messages::Source src;
  src.fd = [] { return -1; };
  src.dueInMs = [&typist] { return typist.next < typist.keys.size() && device->wrote ? 0 : 1; };
  src.drain = [&typist] { typist.Drain(); };
  return Messages::AddSource(std::move(src));
}

KeyScript::Item Key(const char* script) {
  std::vector<KeyScript::Item> items;
  std::string error;
  KeyScript::Parse(script, items, error);
  return items.at(0);
}

std::vector<double> EditorEchoes(int count) {
  Typist typist;
  for (int i = 0; i < count; ++i) typist.keys.push_back(KeyScript::CharacterItem(static_cast<uint8_t>('a' + i % 10)));
  typist.keys.push_back(Key("{ENTER}"));
  const int id = AddTypist(typist);
  std::string field;
  LineEditor::EditLine(field, 1, 5, 78, 2048);
  Messages::RemoveSource(id);
  return typist.latencies;
}

std::vector<double> MenuDowns(int count) {
  Menu::MenuCreate(1, 1, 40, 25);
  for (int i = 1; i <= 10000; ++i) Menu::MenuAdd("item " + std::to_string(i));
  Typist typist;
  for (int i = 0; i < count; ++i) typist.keys.push_back(Key("{DOWN}"));
  typist.keys.push_back(Key("{ENTER}"));
  const int id = AddTypist(typist);
  Menu::MenuRun(5000, true);
  Messages::RemoveSource(id);
  Menu::MenuClose();
  return typist.latencies;
}

// eSpeak NG's time from the call to its first samples.
struct EspeakProbe {
  Clock::time_point first{};
  bool seen = false;
};

int OnSamples(short* wav, int samples, espeak_EVENT* events) {
  auto* probe = static_cast<EspeakProbe*>(events->user_data);
  if (wav && samples > 0 && !probe->seen) {
    probe->first = Clock::now();
    probe->seen = true;
  }
  return 0;
}

double EspeakFirstSample(const std::string& utf8) {
  EspeakProbe probe;
  const auto start = Clock::now();
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &probe);
  return probe.seen ? Ms(probe.first - start) : -1;
}

struct Figures {
  double median = 0, p95 = 0;
};

Figures Of(std::vector<double> v) {
  if (v.empty()) return {-1, -1};
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

void Report(const char* label, const std::vector<double>& ours, const std::vector<double>& theirs) {
  const Figures a = Of(ours), b = Of(theirs);
  std::printf("%-30s %8.3f %8.3f %10.3f %8.3f %6zu\n", label, a.median, a.p95, b.median, b.p95, ours.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "fonix_editor_bench";
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
  auto owned = std::make_unique<RecordingDevice>(RecordingDevice::Sink{}, RecordingDevice::Pace::Held);
  device = owned.get();
  device->wrote = true;  // the first key is typed at once
  SoundQueue::ResetSoundQueue(std::move(owned));
  Speech::InitSpeech(0, "");
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0) < 0 || espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "eSpeak NG did not start\n");
    return 1;
  }
  espeak_SetSynthCallback(OnSamples);

  const std::vector<double> echoes = EditorEchoes(keys);
  std::vector<double> espeakEchoes;
  for (int i = 0; i < keys; ++i) espeakEchoes.push_back(EspeakFirstSample(std::string(1, static_cast<char>('a' + i % 10))));
  const std::vector<double> downs = MenuDowns(keys);
  std::vector<double> espeakItems;
  for (int i = 0; i < keys; ++i) espeakItems.push_back(EspeakFirstSample("item " + std::to_string(5001 + i)));

  std::printf("key to first sample, ms (%d keys)    fonix median / p95   eSpeak NG median / p95  keys\n", keys);
  Report("typed character's echo", echoes, espeakEchoes);
  Report("menu of 10 000, Down to name", downs, espeakItems);

  // The sound card's own buffer, which every figure above gets on top.
  if (auto sdl = WaveOut::OpenSdl(); sdl && sdl->Open(-1, {11025, 8, 1}) == WaveOut::kOk) {
    std::printf("sound card buffer (SDL, 11025 Hz 8-bit): %.1f ms on top\n", sdl->LatencyMs());
    sdl->Close();
  } else {
    std::printf("sound card buffer: no SDL audio output here\n");
  }
  return 0;
}
