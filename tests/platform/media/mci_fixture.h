// Test support for MCI: media made at test time with ffmpeg's generators on a throw-away
// drive C, MCI sending its sound to the capture file's "-mci" sibling, and helpers that wait
// (pumping the event loop) and read back what was heard.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/console.h"
#include "platform/media/mci.h"
#include "platform/media/mci_audio.h"
#include "platform/media/mci_command.h"
#include "tests/audio/audio_fixture.h"
#include "tests/platform/media/sound_analysis.h"

class MciTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    setenv("FONIX_AUDIO", ("capture:" + capturePath).c_str(), 1);
    unsetenv("FONIX_USER_AGENT");
    Mci::ResetMci();
  }
  void TearDown() override {
    Mci::ResetMci();
    unsetenv("FONIX_AUDIO");
    AudioTest::TearDown();
  }

  // Sends a command string; `rc` holds its result.
  std::string Send(const std::string& command) {
    std::string answer;
    rc = Mci::SendString(command, answer);
    return answer;
  }

  // Makes a medium with ffmpeg (`inputs` are its arguments before the output file) at
  // c:\media\NAME; returns the Windows path.
  std::string Make(const std::string& name, const std::string& inputs) {
    const std::filesystem::path host = drive.c / "media" / name;
    std::filesystem::create_directories(host.parent_path());
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + inputs + " '" + host.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return "c:\\media\\" + name;
  }
  std::string Host(const std::string& name) const { return (drive.c / "media" / name).string(); }

  // A sine tone of `hz` lasting `seconds`, at ffmpeg's level (peak 1/8 of full scale).
  static std::string Tone(double hz, double seconds) {
    return "-f lavfi -i sine=frequency=" + std::to_string(hz) + ":sample_rate=44100:duration=" + std::to_string(seconds);
  }
  // One second of 440 Hz, one of 660 Hz, one of 880 Hz: where a seek lands can be heard.
  static std::string Steps() {
    return "-f lavfi -i \"aevalsrc=0.125*sin(2*PI*t*if(lt(t\\,1)\\,440\\,if(lt(t\\,2)\\,660\\,880))):s=44100:d=3\"";
  }

  void Wait(int ms) { Console::ConsoleDelay(ms); }
  // Waits until `name` is no longer playing (at most `limitMs`).
  void WaitStopped(const std::string& name, int limitMs = 10000) {
    const int64_t until = Messages::NowMs() + limitMs;
    while (Send("status " + name + " mode") == "playing" && Messages::NowMs() < until) Wait(20);
  }
  // Closes everything and reads the sound MCI wrote.
  Sound Heard() {
    Mci::ResetMci();
    return Channels(ReadCapture(MciAudio::CapturePath(capturePath)));
  }

  int rc = 0;
};
