// How soon a key silences a long sound: a key is posted from another thread, as a key press
// arrives, while PlayFile plays a 10-second file; the time until PlayFile has returned, the
// device holds no buffer and WaveIsPlaying is false. Measured on the sound card when SDL
// has one (beside the card's own buffer latency, which is heard after that), and on the null
// and capture devices, which are silent the moment they are reset.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "platform/headless/console_headless.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/audio/waveout.h"
#include "platform/wave/wave_header.h"
#include "speech/speech.h"
#include "audio/sound_queue.h"

namespace {

using Clock = std::chrono::steady_clock;

void Put(std::vector<uint8_t>& v, uint32_t x, int n) {
  for (int i = 0; i < n; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// Ten seconds of 16000 Hz 16-bit mono, the engine's format: 40 pieces, more than the queue.
void WriteLongFile(const std::filesystem::path& path) {
  const uint32_t bytes = 16000 * 2 * 10;
  std::vector<uint8_t> v(WaveHeader::kSize);
  WaveHeader::Write(v.data(), 16000, 1, 16, bytes);
  for (uint32_t i = 0; i < bytes / 2; ++i) Put(v, static_cast<uint32_t>(static_cast<int16_t>((i % 40) * 400 - 8000)), 2);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), v.size());
}

struct Result {
  std::vector<double> ms;
  double deviceLatencyMs = 0;
};

Result Measure(std::unique_ptr<WaveOut::Device> device, int tries) {
  Result r;
  WaveOut::Device* raw = device.get();
  SoundQueue::ResetSoundQueue(std::move(device));
  std::mt19937 random(7);
  for (int t = 0; t < tries; ++t) {
    Keyboard::ClearQueue();
    std::atomic<int64_t> postedNs{0};
    const int delayMs = 200 + static_cast<int>(random() % 500);
    std::thread presser([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      Messages::Message m;
      m.kind = Messages::Kind::Char;
      m.ch = 'x';
      postedNs = Clock::now().time_since_epoch().count();
      Messages::Post(m);
    });
    SoundQueue::PlayFile("c:\\dez.wav");
    while (SoundQueue::WaveIsPlaying() || raw->Pending() > 0) Messages::WaitMessage(1);
    const int64_t doneNs = Clock::now().time_since_epoch().count();
    presser.join();
    r.ms.push_back((doneNs - postedNs.load()) / 1e6);
  }
  r.deviceLatencyMs = raw->LatencyMs();  // known once the device is open
  Keyboard::ClearQueue();
  return r;
}

void Report(const char* name, Result r) {
  std::sort(r.ms.begin(), r.ms.end());
  const double median = r.ms.size() % 2 ? r.ms[r.ms.size() / 2] : (r.ms[r.ms.size() / 2 - 1] + r.ms[r.ms.size() / 2]) / 2;
  std::printf("%-8s key to silent and not playing: median %.3f ms, max %.3f ms (%zu tries); device buffer latency %.2f ms\n",
              name, median, r.ms.back(), r.ms.size(), r.deviceLatencyMs);
}

}  // namespace

int main(int argc, char** argv) {
  const int tries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  char base[] = "/tmp/fonix-bench-audio-XXXXXX";
  const std::filesystem::path dir = mkdtemp(base);
  setenv("FONIX_DRIVE_C", (dir / "c").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  std::filesystem::create_directories(dir / "c");
  Paths::ResetPaths();
  Settings::ResetSettings();
  WriteLongFile(dir / "c" / "dez.wav");
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
  Speech::ConnectSoundQueue();

  if (auto sdl = WaveOut::OpenSdl()) Report("sdl", Measure(std::move(sdl), tries));
  else std::printf("sdl      no SDL audio output on this machine: not measured\n");
  Report("null", Measure(WaveOut::OpenNull(), tries));
  Report("capture", Measure(WaveOut::OpenCapture((dir / "capture.wav").string()), tries));
  SoundQueue::CloseSoundQueue();
  std::filesystem::remove_all(dir);
  return 0;
}
