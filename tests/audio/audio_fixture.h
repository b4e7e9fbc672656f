// Test support for the sound output: a throw-away drive C and settings, a headless console,
// and the sound queue on a fresh capture device whose WAV file the test then reads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "platform/headless/console_headless.h"
#include "platform/events/messages.h"
#include "platform/audio/waveout.h"
#include "platform/wave/wave_header.h"
#include "speech/speech.h"
#include "tests/support/temp_drive.h"
#include "audio/sound_queue.h"

// What a capture file holds.
struct Capture {
  int rate = 0, bits = 0, channels = 0;
  std::vector<uint8_t> data;
};

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// A canonical 44-byte-header WAVE image.
inline std::vector<uint8_t> WaveImage(int rate, int bits, int channels, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> v(WaveHeader::kSize);
  WaveHeader::Write(v.data(), rate, channels, bits, static_cast<uint32_t>(samples.size()));
  v.insert(v.end(), samples.begin(), samples.end());
  return v;
}

class AudioTest : public ::testing::Test {
 protected:
  TempDrive drive;
  std::string capturePath;

  void SetUp() override {
    Settings::ResetSettings();
    Messages::ResetMessages();
    Console::ResetConsole();
    Keyboard::ResetKeyboard();
    Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
    Speech::ConnectSoundQueue();
    NewCapture();
  }
  void TearDown() override {
    SoundQueue::ResetSoundQueue(WaveOut::OpenNull());
    Settings::ResetSettings();
  }

  // The sound queue on a new, empty capture file.
  void NewCapture(std::vector<std::string> names = {"Captura"}) {
    capturePath = (drive.base / ("capture" + std::to_string(++captures_) + ".wav")).string();
    SoundQueue::ResetSoundQueue(WaveOut::OpenCapture(capturePath, std::move(names)));
  }

  // Closes the device (as the program's end does) and reads what it captured.
  Capture Captured() {
    SoundQueue::CloseSoundQueue();
    return ReadCapture(capturePath);
  }

  static Capture ReadCapture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Capture c;
    if (bytes.size() < 44) return c;
    auto get = [&](std::size_t at, int n) {
      uint32_t v = 0;
      for (int i = n - 1; i >= 0; --i) v = v << 8 | bytes[at + i];
      return v;
    };
    c.channels = static_cast<int>(get(22, 2));
    c.rate = static_cast<int>(get(24, 4));
    c.bits = static_cast<int>(get(34, 2));
    const uint32_t size = get(40, 4);
    EXPECT_EQ(get(4, 4), size + 36);
    EXPECT_EQ(bytes.size(), 44 + size) << "the header tells the data written";
    c.data.assign(bytes.begin() + 44, bytes.end());
    return c;
  }

  // Writes a file on drive C; returns its Windows path.
  std::string WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path host = drive.c / relative;
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string windows = "c:\\" + relative;
    for (char& ch : windows)
      if (ch == '/') ch = '\\';
    return windows;
  }

  void WriteSettings(const std::string& text) {
    const std::filesystem::path file = drive.config / "Auris" / "Auris.ini";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    Settings::ResetSettings();
  }

  static void WaitUntilSilent() {
    while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(5);
  }

  // Queues `key` in the key queue `ms` from now, from the event loop, as a key press does.
  void KeyAfter(int ms, uint8_t key) {
    const int64_t due = Messages::NowMs() + ms;
    auto fired = std::make_shared<bool>(false);
    Messages::AddSource({[] { return -1; },
                         [due, fired] { return *fired ? -1 : static_cast<int>(std::max<int64_t>(0, due - Messages::NowMs())); },
                         [key, fired] {
                           if (*fired) return;
                           *fired = true;
                           Keyboard::QueueBytes(&key, 1);
                         }});
  }

 private:
  int captures_ = 0;
};
