// Test support for the Sonora engine: a drive C and settings of the test's own, the
// generated data installed into c:\orbis\sonoratts, and reading WAVE files back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "platform/files/paths.h"
#include "tts/sonora_data.h"
#include "tts/sonora_engine.h"
#include "tts/sonora_state.h"
#include "audio/sound_queue.h"
#include "tests/support/interp_fixture.h"

// A clean interpreter and console (the sound queue's completions come back through it), with
// the generated Sonora data installed on the test's drive C.
class EngineTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    unsetenv("FONIX_MBROLA_LIB");
    std::filesystem::remove_all(Drive());
    std::filesystem::create_directories(ConfigFolder());
    std::filesystem::remove(ConfigFolder() + "/Auris.ini");
    Settings::ResetSettings();
    Paths::ResetPaths();
    ASSERT_TRUE(Paths::EnsureDriveC());
    ASSERT_TRUE(Sonora::InstallSonoraData()) << "generated data missing: " << Sonora::GeneratedSonoraFolder();
    Sonora::ResetEngine();
  }
  void TearDown() override {
    Sonora::ResetEngine();
    SoundQueue::ResetSoundQueue();
    std::filesystem::remove(ConfigFolder() + "/Auris.ini");
    Settings::ResetSettings();
    InterpTest::TearDown();
  }
  void Settings(const std::string& text) {
    std::ofstream(ConfigFolder() + "/Auris.ini") << text;
    Settings::ResetSettings();
  }
  static std::string Drive() { return std::getenv("FONIX_DRIVE_C"); }
  static std::string ConfigFolder() { return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Auris"; }
};

struct Wave {
  uint32_t rate = 0, dataSize = 0, riffSize = 0;
  uint16_t format = 0, channels = 0, bits = 0;
  std::vector<int16_t> samples;
  std::size_t fileSize = 0;
};

inline bool ReadWave(const std::string& path, Wave& w) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 44 || std::string(b.data(), 4) != "RIFF" || std::string(b.data() + 8, 8) != "WAVEfmt ") return false;
  auto u32 = [&b](std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
                                 static_cast<uint8_t>(b[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
  };
  auto u16 = [&b](std::size_t at) { return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8); };
  w.fileSize = b.size();
  w.riffSize = u32(4);
  w.format = u16(20);
  w.channels = u16(22);
  w.rate = u32(24);
  w.bits = u16(34);
  w.dataSize = u32(40);
  for (std::size_t i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(static_cast<int16_t>(u16(i)));
  return true;
}
