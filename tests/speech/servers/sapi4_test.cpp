// The SAPI 4 voice on eSpeak NG, heard through the capture device: what it says lasts as
// long as eSpeak NG's own rendering of the same text, a key cuts it short or keeps it from
// starting, and settings out of range or hostile texts still speak without harm.
#include <sys/wait.h>

#include <cstdio>

#include "server_fixture.h"

namespace {

// eSpeak NG's own program renders `text` (UTF-8) with its Brazilian voice: seconds of sound.
double EspeakSeconds(const std::string& text, const std::string& options = "") {
  const std::string command = "espeak-ng -v pt-br " + options + " --stdout '" + text + "' | wc -c";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  long bytes = -1;
  if (std::fscanf(p, "%ld", &bytes) != 1) bytes = -1;
  pclose(p);
  return bytes < 44 ? -1 : (bytes - 44) / 2.0 / 22050.0;
}

const std::string kSentence = "Bom dia. O programa terminou de baixar o vídeo que você pediu.";

class Sapi4Test : public ServerTest {};

TEST_F(Sapi4Test, SpeaksAsLongAsTheEngineItself) {
  ASSERT_TRUE(StartServer("TIPOSAPI=4\r\n"));
  Say(kSentence);
  EXPECT_TRUE(Speech::IsSpeaking()) << "the sound is still playing when Speak returns";
  ASSERT_TRUE(SilentWithin(15000));
  const Capture c = Captured();
  EXPECT_EQ(c.bits, 16);
  EXPECT_EQ(c.rate, 22050);
  const double own = EspeakSeconds(kSentence);
  ASSERT_GT(own, 1.0);
  EXPECT_NEAR(Seconds(c), own, own * 0.1);
  EXPECT_GT(Level(c), 0.02) << "speech, not silence";
}

TEST_F(Sapi4Test, RateAndPitchComeFromTheSettingsAndAreClamped) {
  // 450 words a minute is the engine's fastest: 900 is the fastest too; a pitch of 900 Hz is
  // the highest; voice 900 is not there, and the first is taken.
  ASSERT_TRUE(StartServer("TIPOSAPI=4\r\nVELOCIDADE=900\r\nTOM=900\r\nVOZ=900\r\n"));
  Say(kSentence);
  ASSERT_TRUE(SilentWithin(15000));
  const double fast = Seconds(Captured());
  const double own = EspeakSeconds(kSentence, "-s 450");
  ASSERT_GT(own, 0.3);
  EXPECT_NEAR(fast, own, own * 0.15);
  EXPECT_LT(fast, EspeakSeconds(kSentence) * 0.7);
}

TEST_F(Sapi4Test, AKeyCutsSpeechShortAndStays) {
  ASSERT_TRUE(StartServer("TIPOSAPI=4\r\n"));
  std::string longText;
  for (int i = 0; i < 6; ++i) longText += kSentence + " ";
  KeyAfter(400, 'x');
  const int64_t start = Messages::NowMs();
  Say(longText);
  ASSERT_TRUE(SilentWithin(2000));
  EXPECT_LT(Messages::NowMs() - start, 2000) << "Speak itself returned once the key came";
  EXPECT_EQ(Keyboard::QueueCount(), 1) << "the key is left for its reader";
  const double heard = Seconds(Captured());
  EXPECT_GT(heard, 0.1);
  EXPECT_LT(heard, 1.5);
}

TEST_F(Sapi4Test, NothingIsSentWhileAKeyWaits) {
  ASSERT_TRUE(StartServer("TIPOSAPI=4\r\n"));
  const uint8_t key = 'x';
  Keyboard::QueueBytes(&key, 1);
  Say(kSentence);
  EXPECT_FALSE(Speech::IsSpeaking());
  EXPECT_EQ(Seconds(Captured()), 0);
}

TEST_F(Sapi4Test, DigitsControlBytesAndHugeTextsAreSaidWithoutHarm) {
  ASSERT_TRUE(StartServer("TIPOSAPI=4\r\n"));
  Say("7");
  ASSERT_TRUE(SilentWithin(5000));
  Say(std::string("a\x01\x02\x1b[2J\x7f b\tc\r\nd", 14));
  ASSERT_TRUE(SilentWithin(5000));
  std::string huge;
  while (huge.size() < 100000) huge += "palavra \x03\x80\x81 123 ";
  KeyAfter(300, 'x');
  Speech::Speak(huge);
  ASSERT_TRUE(SilentWithin(2000));
  const Capture c = Captured();
  EXPECT_GT(Seconds(c), 0.5);
  EXPECT_GT(Level(c), 0.02);
}

}  // namespace
