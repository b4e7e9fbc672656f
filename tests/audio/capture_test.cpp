// The capture device: one file in the format of the first sound, later formats converted,
// samples taken at the real rate, a header that is right while the program still runs.
#include <algorithm>

#include "audio_fixture.h"

namespace {

TEST_F(AudioTest, ALaterFormatIsConvertedToTheFilesFormat) {
  const std::vector<uint8_t> first(1102, 228);  // 8-bit mono, 0.1 s
  SoundQueue::PlaySamples(first.data(), first.size(), 11025, 1, 8);
  std::vector<uint8_t> second;
  for (int i = 0; i < 2205; ++i)  // 16-bit stereo at 22050 Hz, 0.1 s, both channels -12800
    for (int ch = 0; ch < 2; ++ch) second.insert(second.end(), {0x00, 0xCE});
  SoundQueue::PlaySamples(second.data(), second.size(), 22050, 2, 16);
  WaitUntilSilent();
  const Capture c = Captured();
  EXPECT_EQ(c.rate, 11025);
  EXPECT_EQ(c.bits, 8);
  EXPECT_EQ(c.channels, 1);
  ASSERT_GE(c.data.size(), 1102u + 1100);
  ASSERT_LE(c.data.size(), 1102u + 1104);
  EXPECT_EQ(c.data[1000], 228);
  EXPECT_TRUE(std::all_of(c.data.begin() + 1103, c.data.end(), [](uint8_t b) { return b == 78; }));
}

TEST_F(AudioTest, TheHeaderIsRightWhilePlaying) {
  const std::vector<uint8_t> sound(22050, 100);
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  Console::ConsoleDelay(500);
  SoundQueue::WaveStop();
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
  // Stopped but not closed: the file as a crash would leave it (read while nothing is
  // being written, since a live file is a moving target).
  const Capture partial = ReadCapture(capturePath);
  EXPECT_EQ(partial.rate, 11025);
  EXPECT_GT(partial.data.size(), 0u);
  EXPECT_LT(partial.data.size(), sound.size()) << "taken at the real rate, not at once";
}

TEST_F(AudioTest, TheNullDeviceTakesTimeToo) {
  SoundQueue::ResetSoundQueue(WaveOut::OpenNull());
  const std::vector<uint8_t> sound(11025, 100);
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  Console::ConsoleDelay(100);
  EXPECT_TRUE(SoundQueue::WaveIsPlaying());
  SoundQueue::WaveStop();
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
}

TEST_F(AudioTest, TheInstantDeviceIsChosenByNameAndTakesNoTime) {
  setenv("FONIX_AUDIO", "instant", 1);
  std::string error;
  EXPECT_TRUE(WaveOut::CheckChoice(error)) << error;
  SoundQueue::ResetSoundQueue(WaveOut::OpenChosen("wave"));
  unsetenv("FONIX_AUDIO");
  const std::vector<uint8_t> sound(11025 * 5, 100);  // five seconds
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  int waits = 0;
  while (SoundQueue::WaveIsPlaying() && waits < 100) {
    Console::ConsoleDelay(10);
    ++waits;
  }
  EXPECT_FALSE(SoundQueue::WaveIsPlaying()) << "done within a second, not after five";
}

}  // namespace
