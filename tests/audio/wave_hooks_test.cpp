// The sound queue stands on its own: linked with nothing but the platform layer, it takes
// the waiting key, the device name and the error report through its hooks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/events/messages.h"
#include "platform/audio/waveout.h"
#include "audio/sound_queue.h"

namespace {

int keyChecks = 0;
int keyAfterChecks = -1;  // a key waits once this many checks were made; -1: never
bool KeyAfterSomeChecks() { return keyAfterChecks >= 0 && ++keyChecks > keyAfterChecks; }
std::string reported;
int reports = 0;
void Report(std::string_view text) {
  reported = std::string(text);
  ++reports;
}
std::string DeviceName() { return "SEGUNDA SA\xCD" "DA"; }  // Windows-1252, in capitals

class WaveHooksTest : public ::testing::Test {
 protected:
  std::filesystem::path capture =
      std::filesystem::path(::testing::TempDir()) / ("fonix_wave_hooks_" + std::to_string(getpid()) + ".wav");
  void SetUp() override {
    Messages::ResetMessages();
    Messages::SetHandler(SoundQueue::HandleCompletion);  // this test is the window procedure
    keyChecks = 0;
    keyAfterChecks = -1;
    reported.clear();
    reports = 0;
    SoundQueue::SetHooks({KeyAfterSomeChecks, DeviceName, Report});
    SoundQueue::ResetSoundQueue(WaveOut::OpenCapture(capture.string(), {"Primeira", "Segunda sa\xED" "da"}));
  }
  void TearDown() override {
    SoundQueue::ResetSoundQueue(WaveOut::OpenNull());
    SoundQueue::SetHooks({});
    std::filesystem::remove(capture);
  }
  static void WaitUntilSilent() {
    while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(5);
  }
};

TEST_F(WaveHooksTest, TheDeviceSettingAndTheWaitingKeyComeThroughTheHooks) {
  EXPECT_EQ(SoundQueue::ChosenDevice(), 1);
  const std::vector<uint8_t> second(11025, 90);
  ASSERT_EQ(SoundQueue::PlaySamples(second.data(), second.size(), 11025, 1, 8), 0);
  WaitUntilSilent();
  EXPECT_EQ(SoundQueue::BuffersInFlight(), 0);
  // A key that comes while playing stops the sound at once.
  keyChecks = 0;
  keyAfterChecks = 2;
  const std::vector<uint8_t> long_(110250, 90);
  ASSERT_EQ(SoundQueue::PlaySamples(long_.data(), long_.size(), 11025, 1, 8), 0);
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
  EXPECT_EQ(SoundQueue::BuffersInFlight(), 0);
  // Without the hook no key ever waits.
  SoundQueue::SetHooks({nullptr, DeviceName, Report});
  EXPECT_FALSE(SoundQueue::InterruptRequested());
}

TEST_F(WaveHooksTest, ABufferGivenBackWronglyIsReportedThroughTheHook) {
  const std::vector<uint8_t> sound(100, 150);
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  Messages::Message m;
  m.kind = Messages::Kind::WaveDone;
  m.data = 99;
  Messages::Post(m);
  Messages::PumpMessages();
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(reported, "Specified device handle is invalid.");
  WaitUntilSilent();
}

}  // namespace
