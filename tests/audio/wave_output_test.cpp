// What the sound queue hands the device: the 256-byte minimum, the pieces of a file, the
// fast rate, speech cutting, the faster recordings, interruption by a key, the device named
// in the settings and the completion errors.
#include <algorithm>
#include <cmath>

#include "audio_fixture.h"
#include "audio/sound_queue_cut.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST_F(AudioTest, ShortEightBitSoundsPlayAsAtLeast256BytesEndingInSilence) {
  const Bytes sound(100, 200);
  EXPECT_EQ(SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8), 0);
  WaitUntilSilent();
  const Capture c = Captured();
  EXPECT_EQ(c.rate, 11025);
  EXPECT_EQ(c.bits, 8);
  EXPECT_EQ(c.channels, 1);
  ASSERT_EQ(c.data.size(), 256u);
  EXPECT_TRUE(std::all_of(c.data.begin(), c.data.begin() + 99, [](uint8_t b) { return b == 200; }));
  EXPECT_TRUE(std::all_of(c.data.begin() + 99, c.data.end(), [](uint8_t b) { return b == 128; }));
}

TEST_F(AudioTest, AFileIsPlayedInPiecesThatNeverLeaveATinyLastOne) {
  // 8300 bytes: 7936 and 364, each ending in silence; as 8192 and 108 the tail would be
  // padded to 256 and the sound would grow.
  const std::string path = WriteFile("sons/longo.wav", WaveImage(11025, 8, 1, Bytes(8300, 60)));
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
  const Capture c = Captured();
  ASSERT_EQ(c.data.size(), 8300u);
  EXPECT_EQ(c.data[7935], 128);
  EXPECT_EQ(c.data[7936], 60);
  EXPECT_EQ(c.data[8299], 128);
  EXPECT_EQ(std::count(c.data.begin(), c.data.end(), 128), 2);
}

TEST_F(AudioTest, FullPiecesKeepTheirLastByte) {
  const Bytes sound(8192 * 2, 70);
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  WaitUntilSilent();
  const Capture c = Captured();
  ASSERT_EQ(c.data.size(), sound.size());
  EXPECT_EQ(std::count(c.data.begin(), c.data.end(), 128), 0);
}

TEST_F(AudioTest, FastRatePlaysAtOneAndAHalfTimesTheRateHalvesToEven) {
  const Bytes sound(100, 150);
  for (const auto& [rate, played] : {std::pair{11025, 16538}, {8001, 12002}, {11023, 16534}, {16000, 24000}}) {
    NewCapture();
    SoundQueue::WaveFlags().fastRate = true;
    SoundQueue::PlaySamples(sound.data(), sound.size(), rate, 1, 8);
    WaitUntilSilent();
    EXPECT_EQ(Captured().rate, played) << rate;
  }
}

// Speech-like 16-bit mono: one sharp peak per pitch period of `period` samples.
Bytes Voiced(int samples, int period) {
  Bytes out;
  for (int i = 0; i < samples; ++i) {
    const int phase = i % period;
    const int v = static_cast<int>(12000 * std::sin(2 * M_PI * phase / period) * std::exp(-3.0 * phase / period));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  return out;
}

TEST_F(AudioTest, SpeechCuttingPlaysSixteenBitSpeechAsEightBitAtAboutHalfTheLength) {
  const Bytes speech = Voiced(16000, 400);  // one second at 16000 Hz
  const std::string path = WriteFile("fala.wav", WaveImage(16000, 16, 1, speech));
  SoundQueue::WaveFlags().speechCutting = true;
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  const Capture c = Captured();
  EXPECT_EQ(c.bits, 8);
  EXPECT_EQ(c.rate, 16000);
  EXPECT_GT(c.data.size(), 16000 * 0.35);
  EXPECT_LT(c.data.size(), 16000 * 0.65);
}

TEST_F(AudioTest, AShortPieceIsOnlyNarrowedToEightBits) {
  const Bytes speech = Voiced(900, 400);
  SoundQueue::WaveFlags().speechCutting = true;
  SoundQueue::PlaySamples(speech.data(), speech.size(), 16000, 1, 16);
  WaitUntilSilent();
  const Capture c = Captured();
  EXPECT_EQ(c.bits, 8);
  ASSERT_EQ(c.data.size(), 900u);
  for (std::size_t i = 0; i + 1 < 900; ++i) ASSERT_EQ(c.data[i], speech[2 * i + 1] ^ 0x80) << i;
  EXPECT_EQ(c.data[899], 128);
}

TEST_F(AudioTest, StereoIsNeverCut) {
  const Bytes sound(4000 * 4, 0);
  SoundQueue::WaveFlags().speechCutting = true;
  SoundQueue::PlaySamples(sound.data(), sound.size(), 16000, 2, 16);
  WaitUntilSilent();
  const Capture c = Captured();
  EXPECT_EQ(c.bits, 16);
  EXPECT_EQ(c.data.size(), sound.size());
}

TEST(SpeechCutting, DropsEveryOtherPeriodAndStaysInsideThePiece) {
  // 11025 Hz, periods of 100 samples: the kept periods come back whole.
  Bytes s;
  for (int i = 0; i < 4000; ++i) s.push_back(static_cast<uint8_t>(i % 100 == 0 ? 250 : 128));
  const std::size_t n = SoundQueue::CutSpeech(s.data(), s.size(), 11025);
  EXPECT_GT(n, 1700u);
  EXPECT_LT(n, 2300u);
  // Each kept period runs from its peak to the next one inclusive, so the peaks come in
  // pairs: 100 apart within a kept period, side by side where a period was dropped.
  std::vector<std::size_t> peaks;
  for (std::size_t i = 0; i < n; ++i)
    if (s[i] == 250) peaks.push_back(i);
  int adjacent = 0, whole = 0;
  for (std::size_t i = 1; i < peaks.size(); ++i) {
    const std::size_t gap = peaks[i] - peaks[i - 1];
    EXPECT_TRUE(gap == 1 || gap == 100) << i << ": " << gap;
    adjacent += gap == 1;
    whole += gap == 100;
  }
  EXPECT_GT(adjacent, 15);
  EXPECT_GT(whole, 15);
  // At 16000 Hz the first search would reach past a piece of 1000 to 1320 samples.
  for (std::size_t size : {1000u, 1100u, 1319u}) {
    Bytes piece(size, 128);
    piece[size - 1] = 255;
    EXPECT_LE(SoundQueue::CutSpeech(piece.data(), piece.size(), 16000), size);
  }
  Bytes shortPiece(999, 255);
  EXPECT_EQ(SoundQueue::CutSpeech(shortPiece.data(), shortPiece.size(), 16000), 999u);
}

TEST_F(AudioTest, SpeechCuttingPlaysTheFasterRecordingUncutWhenThereIsOne) {
  const std::string path = WriteFile("sons/a.wav", WaveImage(16000, 16, 1, Voiced(16000, 400)));
  WriteFile("sons/rapido/a.wav", WaveImage(16000, 16, 1, Voiced(3000, 400)));
  SoundQueue::WaveFlags().speechCutting = true;
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  EXPECT_TRUE(SoundQueue::WaveFlags().speechCutting) << "restored after the file";
  const Capture c = Captured();
  EXPECT_EQ(c.bits, 16);
  EXPECT_EQ(c.data.size(), 6000u);
}

TEST_F(AudioTest, AKeyStopsALongFileAtOnce) {
  // Ten seconds, more than the 16 buffers hold: the key comes while the file is being read.
  const std::string path = WriteFile("dez.wav", WaveImage(22050, 8, 1, Bytes(220500, 90)));
  KeyAfter(300, 'x');
  EXPECT_EQ(SoundQueue::PlayFile(path), -1);
  EXPECT_EQ(SoundQueue::BuffersInFlight(), 0);
  EXPECT_FALSE(SoundQueue::WaveIsPlaying());
  EXPECT_EQ(Keyboard::QueueCount(), 1) << "the key stays queued";
  const Capture c = Captured();
  EXPECT_GT(c.data.size(), 0u);
  EXPECT_LT(c.data.size(), 220500u / 2);
}

TEST_F(AudioTest, AWaitingKeyPlaysNothingAndTheInterruptFlagCanBeOff) {
  const std::string path = WriteFile("curto.wav", WaveImage(11025, 8, 1, Bytes(2000, 90)));
  const uint8_t key = 'k';
  Keyboard::QueueBytes(&key, 1);
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  EXPECT_EQ(Captured().data.size(), 0u);
  NewCapture();
  SoundQueue::WaveFlags().interrupt = false;
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  EXPECT_EQ(Captured().data.size(), 2000u);
}

TEST_F(AudioTest, AsynchronousPlayReturnsWhileTheSoundPlays) {
  const std::string path = WriteFile("meio.wav", WaveImage(11025, 8, 1, Bytes(5512, 90)));
  SoundQueue::WaveFlags().asynchronous = true;
  EXPECT_EQ(SoundQueue::PlayFile(path), 0);
  EXPECT_TRUE(SoundQueue::WaveIsPlaying());
  WaitUntilSilent();
  EXPECT_EQ(Captured().data.size(), 5512u);
}

TEST_F(AudioTest, TheSettingsNameTheDeviceInAnyLetterCase) {
  NewCapture({"Alto-falantes HDMI", "  Fones USB \xC1udio  "});
  EXPECT_EQ(SoundQueue::ListOutputDevices(), (std::vector<std::string>{"Alto-falantes HDMI", "Fones USB \xC1udio"}));
  WriteSettings("[TRADUTOR]\nSAIDADEAUDIO=fones usb \xE1udio\n");
  EXPECT_EQ(SoundQueue::ChosenDevice(), 1);
  NewCapture({"Alto-falantes HDMI"});
  EXPECT_EQ(SoundQueue::ChosenDevice(), -1) << "an unknown name: the default device";
}

TEST_F(AudioTest, AFormatTheDeviceRefusesPlaysNothing) {
  const Bytes sound(100, 0);
  EXPECT_EQ(SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 12), WaveOut::kErrBadFormat);
  const std::string path = WriteFile("doze.wav", WaveImage(11025, 12, 1, Bytes(300, 0)));
  EXPECT_EQ(SoundQueue::PlayFile(path), -1);
}

TEST_F(AudioTest, AnUnknownBufferCompletionIsReportedAndWaitsForEnter) {
  const Bytes sound(100, 150);
  SoundQueue::PlaySamples(sound.data(), sound.size(), 11025, 1, 8);
  const uint8_t keys[] = {'a', 13};
  Keyboard::QueueBytes(keys, 2);
  Messages::Message m;
  m.kind = Messages::Kind::WaveDone;
  m.data = 99;
  Messages::Post(m);
  Messages::PumpMessages();
  EXPECT_EQ(Console::RowText(1), "Specified device handle is invalid.");
  EXPECT_EQ(Keyboard::QueueCount(), 0);
}

}  // namespace
