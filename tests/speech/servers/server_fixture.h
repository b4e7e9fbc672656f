// Test support for the speech servers: the audio fixture's capture device and settings, the
// speech data on the test's drive C, and speech started with an Auris.ini choosing a server.
#pragma once

#include <cmath>
#include <string>

#include "tests/audio/audio_fixture.h"
#include "console/keyboard.h"
#include "platform/text/cp1252.h"
#include "speech/diphone_data.h"
#include "speech/speech_data.h"
#include "speech/speech_state.h"

class ServerTest : public AudioTest {
 protected:
  void TearDown() override {
    Speech::CloseSpeech();
    AudioTest::TearDown();
  }

  // Starts speech with `servFala` as the SERVFALA section; true when a server opened.
  bool StartServer(const std::string& servFala) {
    WriteSettings("[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\n" + servFala);
    Paths::EnsureDriveC();
    EXPECT_TRUE(SpeechData::InstallSpeechData());
    EXPECT_TRUE(SpeechData::InstallDiphoneData());
    Speech::InitSpeech(0, "");
    return Speech::St().serverActive;
  }

  static void Say(const std::string& utf8) { Speech::Speak(Cp1252::FromUtf8(utf8)); }

  // Waits for silence as the commands do; false when it took longer than `ms`.
  static bool SilentWithin(int ms) {
    const int64_t until = Messages::NowMs() + ms;
    while (Speech::IsSpeaking()) {
      if (Messages::NowMs() > until) return false;
      Messages::WaitMessage(10);
      Messages::PumpMessages();
    }
    return true;
  }

  // Seconds of sound and its root-mean-square level (0..1) in a capture.
  static double Seconds(const Capture& c) {
    const int frame = c.channels * c.bits / 8;
    return c.rate > 0 && frame > 0 ? static_cast<double>(c.data.size()) / frame / c.rate : 0;
  }
  static double Level(const Capture& c) {
    if (c.bits != 16 || c.data.size() < 2) return 0;
    double sum = 0;
    const std::size_t n = c.data.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
      const auto v = static_cast<int16_t>(c.data[2 * i] | c.data[2 * i + 1] << 8);
      sum += static_cast<double>(v) * v;
    }
    return std::sqrt(sum / n) / 32768.0;
  }
};
