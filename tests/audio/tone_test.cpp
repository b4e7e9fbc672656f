// The console's tone and bell as they reach the device.
#include <algorithm>

#include "audio_fixture.h"
#include "audio/wave_file.h"

namespace {

std::vector<uint8_t> gImage;

void Keep(const uint8_t* image, std::size_t size) {
  if (image) gImage.assign(image, image + size);
}

TEST_F(AudioTest, ToneImageOfOneThousandHertz) {
  WaveOut::SetTonePlayer(Keep);
  Console::ConsoleSound(1000);
  Console::ConsoleNoSound();
  WaveFile::Info info;
  ASSERT_TRUE(WaveFile::ParseImage(gImage.data(), gImage.size(), info));
  EXPECT_EQ(info.rate, 11025);
  EXPECT_EQ(info.bits, 8);
  EXPECT_EQ(info.channels, 1);
  // Periods start at 44 + k × 11025 div 1000 while that is at most 11025 - 11: the last
  // at 11013, ending at 11025.
  EXPECT_EQ(gImage.size(), 11025u);
  EXPECT_EQ(info.dataSize, 11025u - 44);
  const uint8_t* s = gImage.data() + 44;
  EXPECT_TRUE(std::all_of(s, s + 5, [](uint8_t b) { return b == 96; }));
  EXPECT_TRUE(std::all_of(s + 5, s + 11, [](uint8_t b) { return b == 160; }));
  EXPECT_EQ(s[11], 96);
  EXPECT_EQ(s[info.dataSize - 1], 128);
  int periods = 0;
  for (std::size_t i = 1; i < info.dataSize; ++i) periods += s[i - 1] == 96 && s[i] == 160;
  EXPECT_EQ(periods, 996);
  SoundQueue::ResetSoundQueue(WaveOut::OpenCapture(capturePath));
}

TEST_F(AudioTest, ToneImagesOfExtremeFrequenciesStayInTheirBuffer) {
  WaveOut::SetTonePlayer(Keep);
  for (int hz : {1, 2, 100, 11025, 20000, 65535}) {
    gImage.clear();
    Console::ConsoleSound(hz);
    Console::ConsoleNoSound();
    EXPECT_LE(gImage.size(), 11071u) << hz;
  }
  gImage.clear();
  Console::ConsoleSound(1);  // a period longer than the image: nothing to play
  EXPECT_TRUE(gImage.empty());
  Console::ConsoleSound(0);
  EXPECT_TRUE(gImage.empty());
  SoundQueue::ResetSoundQueue(WaveOut::OpenCapture(capturePath));
}

TEST_F(AudioTest, TheToneLoopsUntilStoppedWithoutCountingAsPlaying) {
  Console::ConsoleSound(800);
  EXPECT_TRUE(SoundQueue::IsLooping());
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
  Console::ConsoleDelay(1500);  // longer than one image
  Console::ConsoleNoSound();
  EXPECT_FALSE(SoundQueue::IsLooping());
  EXPECT_EQ(SoundQueue::BuffersInFlight(), 0);
  const Capture c = Captured();
  EXPECT_GT(c.data.size(), 11025u) << "the image came round again";
  EXPECT_LT(c.data.size(), 11025u * 3);
  EXPECT_EQ(std::count(c.data.begin(), c.data.begin() + 5000, 96) + std::count(c.data.begin(), c.data.begin() + 5000, 160), 5000);
}

TEST_F(AudioTest, TheBellBeeps) {
  Console::ConsoleWrite("\a");
  WaitUntilSilent();
  const Capture c = Captured();
  ASSERT_EQ(c.data.size(), 512u);
  EXPECT_EQ(c.rate, 11025);
  const uint8_t pattern[8] = {128, 112, 96, 80, 64, 80, 96, 112};
  for (std::size_t i = 0; i + 1 < c.data.size(); ++i) ASSERT_EQ(c.data[i], pattern[i % 8]) << i;
  EXPECT_EQ(c.data.back(), 128);
}

}  // namespace
