// Files that are not good WAVE files: nothing is read beyond them and PlayFile fails.
#include "audio_fixture.h"
#include "audio/wave_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Good() { return WaveImage(11025, 8, 1, Bytes(300, 100)); }

void Set16(Bytes& b, std::size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Set32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<std::pair<std::string, Bytes>> Malformed() {
  std::vector<std::pair<std::string, Bytes>> cases;
  const Bytes good = Good();
  for (std::size_t n : {0u, 4u, 11u, 12u, 19u, 20u, 35u, 36u, 43u})
    cases.push_back({"cut at " + std::to_string(n), Bytes(good.begin(), good.begin() + n)});
  Bytes b = Good();
  Set16(b, 22, 0);
  cases.push_back({"no channels", b});
  b = Good();
  Set32(b, 24, 0);
  cases.push_back({"no rate", b});
  b = Good();
  Set16(b, 34, 0);
  cases.push_back({"no bits", b});
  b = Good();
  Set32(b, 16, 8);
  cases.push_back({"short format block", b});
  b = Good();
  Set32(b, 16, 0xFFFFFFF0u);
  cases.push_back({"format block beyond the file", b});
  // "RIFF", "WAVE", then the data chunk, then "fmt ".
  b = Good();
  Bytes swapped(b.begin(), b.begin() + 12);
  swapped.insert(swapped.end(), b.begin() + 36, b.end());
  swapped.insert(swapped.end(), b.begin() + 12, b.begin() + 36);
  cases.push_back({"data before fmt", swapped});
  // A chunk before the data whose size runs past the end.
  b = Good();
  Bytes list(b.begin(), b.begin() + 36);
  for (char c : std::string("LIST")) list.push_back(static_cast<uint8_t>(c));
  Put32(list, 0x7FFFFFF0u);
  list.insert(list.end(), b.begin() + 36, b.end());
  cases.push_back({"chunk beyond the file", list});
  b = Good();
  b[0] = 'X';
  cases.push_back({"not RIFF", b});
  return cases;
}

TEST_F(AudioTest, MalformedFilesFailWithoutPlaying) {
  for (const auto& [what, bytes] : Malformed()) {
    EXPECT_EQ(SoundQueue::PlayFile(WriteFile("mau.wav", bytes)), -1) << what;
    WaveFile::Info info;
    // An exact-size heap copy: a read past its end is caught.
    const auto image = std::make_unique<uint8_t[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), image.get());
    EXPECT_FALSE(WaveFile::ParseImage(image.get(), bytes.size(), info)) << what;
    EXPECT_EQ(SoundQueue::PlayImage(image.get(), bytes.size()), -1) << what;
  }
  EXPECT_EQ(Captured().data.size(), 0u);
}

TEST_F(AudioTest, ADataChunkLongerThanTheFilePlaysWhatIsThereAndFails) {
  Bytes b = Good();
  Set32(b, 40, 100000);
  EXPECT_EQ(SoundQueue::PlayFile(WriteFile("curto.wav", b)), -1);
  EXPECT_EQ(SoundQueue::PlayImage(b.data(), b.size()), -1);
  WaitUntilSilent();
  EXPECT_EQ(Captured().data.size(), 600u);
}

TEST_F(AudioTest, HeadersInEitherLetterCaseAndExtraChunksAreRead) {
  Bytes b = Good();
  b[0] = 'r';
  b[13] = 'M';
  Bytes withFact(b.begin(), b.begin() + 36);
  for (char c : std::string("fact")) withFact.push_back(static_cast<uint8_t>(c));
  Put32(withFact, 4);
  Put32(withFact, 300);
  withFact.insert(withFact.end(), b.begin() + 36, b.end());
  EXPECT_EQ(SoundQueue::PlayFile(WriteFile("bom.wav", withFact)), 0);
  EXPECT_EQ(SoundQueue::PlayFile("c:\\nao-existe.wav"), -1);
  EXPECT_EQ(Captured().data.size(), 300u);
}

TEST(WaveHeader, WrittenHeadersReadBackInEveryFormat) {
  struct Case { int rate, channels, bits; uint32_t data; };
  for (const Case& c : {Case{11025, 1, 8, 0}, Case{16000, 1, 16, 32000}, Case{44100, 2, 16, 7}, Case{8000, 2, 8, 0xFFFFFFD0u}}) {
    uint8_t h[WaveHeader::kSize];
    WaveHeader::Write(h, c.rate, c.channels, c.bits, c.data);
    WaveFile::Info info;
    ASSERT_TRUE(WaveFile::ParseImage(h, sizeof h, info)) << c.rate;
    EXPECT_EQ(info.rate, c.rate);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.bits, c.bits);
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, c.data);
    const uint32_t riff = h[4] | h[5] << 8 | h[6] << 16 | static_cast<uint32_t>(h[7]) << 24;
    EXPECT_EQ(riff, 36 + c.data);
    const uint32_t byteRate = h[28] | h[29] << 8 | h[30] << 16 | static_cast<uint32_t>(h[31]) << 24;
    EXPECT_EQ(byteRate, static_cast<uint32_t>(c.rate * c.channels * c.bits / 8));
    EXPECT_EQ(h[32], c.channels * c.bits / 8);
  }
}

}  // namespace
