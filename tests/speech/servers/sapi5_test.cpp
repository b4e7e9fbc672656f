// The SAPI 5 voice on a private Speech Dispatcher: texts reach it whole with the chosen
// voice and rate, IsSpeaking follows its end notices, a key cancels it, and a server that is
// absent, has no voice or dies mid-speech leaves speech on the built-in path without a hang.
#include <algorithm>

#include "tests/support/private_speechd.h"
#include "server_fixture.h"

namespace {

class Sapi5Test : public ServerTest {
 protected:
  void TearDown() override {
    ServerTest::TearDown();
    unsetenv("SPEECHD_ADDRESS");
  }
};

TEST_F(Sapi5Test, TextReachesTheServerWithTheChosenVoiceAndRate) {
  PrivateSpeechd server;
  ASSERT_TRUE(server.Started()) << server.Error();
  ASSERT_TRUE(StartServer("TIPOSAPI=54\r\nVOZ=2\r\nVELOCIDADE=5\r\n"));
  Say("Olá, mundo");
  EXPECT_TRUE(Speech::IsSpeaking());
  ASSERT_TRUE(SilentWithin(5000));
  ASSERT_TRUE(server.WaitForSaid(1, 1000));
  EXPECT_EQ(server.Said().back(), "brasileira|50|Olá, mundo");
  // Control bytes are blanks to the server; a line break would have ended the message.
  Speech::Speak("um\x01" "dois\r\ntr\xEAs");
  ASSERT_TRUE(SilentWithin(5000));
  ASSERT_TRUE(server.WaitForSaid(2, 1000));
  EXPECT_EQ(server.Said().back(), "brasileira|50|um dois  três");
}

TEST_F(Sapi5Test, AVoiceOutOfRangeIsTheFirstAtTheUsualRate) {
  PrivateSpeechd server;
  ASSERT_TRUE(server.Started()) << server.Error();
  // Voice 0 (and a number the settings refuse) is the module's own Portuguese voice; a number
  // past the Portuguese voices is the first of them. Either way at the usual rate.
  for (const char* voice : {"0", "10000", "-7", "3"}) {
    ASSERT_TRUE(StartServer(std::string("TIPOSAPI=5\r\nVELOCIDADE=-8\r\nVOZ=") + voice + "\r\n")) << voice;
    Say("sete");
    ASSERT_TRUE(SilentWithin(5000));
    Speech::CloseSpeech();
  }
  ASSERT_TRUE(server.WaitForSaid(4, 1000));
  const std::vector<std::string> first = server.Said();
  EXPECT_EQ(first[0], "no_voice|0|sete") << "the generic module's answer to a language alone";
  EXPECT_EQ(first[1], first[0]);
  EXPECT_EQ(first[2], first[0]);
  EXPECT_EQ(first[3], "brasil|0|sete");
  // In range, -10 is the server's slowest; a rate above 10 is the usual one.
  ASSERT_TRUE(StartServer("TIPOSAPI=7\r\nVELOCIDADE=-10\r\nVOZ=1\r\n"));
  Say("oito");
  ASSERT_TRUE(SilentWithin(5000));
  Speech::CloseSpeech();
  ASSERT_TRUE(StartServer("TIPOSAPI=7\r\nVELOCIDADE=11\r\nVOZ=1\r\n"));
  Say("nove");
  ASSERT_TRUE(SilentWithin(5000));
  ASSERT_TRUE(server.WaitForSaid(6, 1000));
  const auto said = server.Said();
  EXPECT_EQ(said[4], "brasil|-100|oito");
  EXPECT_EQ(said[5], "brasil|0|nove");
}

TEST_F(Sapi5Test, AKeyCancelsTheServer) {
  PrivateSpeechd server("rec", 5);
  ASSERT_TRUE(server.Started()) << server.Error();
  ASSERT_TRUE(StartServer("TIPOSAPI=5\r\nVOZ=1\r\n"));
  std::string huge;
  while (huge.size() < 100000) huge += "uma frase longa, ";
  Speech::Speak(huge);
  ASSERT_TRUE(server.WaitForSaid(1, 3000));
  EXPECT_TRUE(Speech::IsSpeaking());
  KeyAfter(0, 'x');
  ASSERT_TRUE(SilentWithin(1000)) << "a key silences the server at once";
  EXPECT_EQ(Keyboard::QueueCount(), 1);
  EXPECT_TRUE(server.Said().front().starts_with("brasil|0|uma frase longa"));
  // The server is free again at once: the next text is not queued behind the cancelled one.
  Keyboard::ResetKeyboard();
  const std::size_t before = server.Said().size();
  Say("depois");
  ASSERT_TRUE(server.WaitForSaid(before + 1, 2000));
  EXPECT_EQ(server.Said().back(), "brasil|0|depois");
  KeyAfter(0, 'x');
  ASSERT_TRUE(SilentWithin(1000));
}

TEST_F(Sapi5Test, TheRealVoiceEndsAndIsCancelled) {
  PrivateSpeechd server("espeak-ng");
  ASSERT_TRUE(server.Started()) << server.Error();
  ASSERT_TRUE(StartServer("TIPOSAPI=5\r\nVOZ=0\r\n"));
  Say("Bom dia, tudo bem?");
  ASSERT_TRUE(SilentWithin(10000)) << "the end notice arrives";
  EXPECT_TRUE(Speech::St().serverActive);
  Say("Bom dia, tudo bem?");
  KeyAfter(0, 'x');
  ASSERT_TRUE(SilentWithin(1000));
}

TEST_F(Sapi5Test, AServerThatDiesLeavesSpeechOnTheBuiltInPath) {
  auto server = std::make_unique<PrivateSpeechd>("rec", 5);
  ASSERT_TRUE(server->Started()) << server->Error();
  ASSERT_TRUE(StartServer("TIPOSAPI=5\r\n"));
  Say("uma frase que não termina");
  ASSERT_TRUE(server->WaitForSaid(1, 3000));
  server->Kill();
  ASSERT_TRUE(SilentWithin(3000)) << "no hang on a server that is gone";
  Say("abc");
  ASSERT_TRUE(SilentWithin(5000));
  Speech::StopSpeech();
  const Capture c = Captured();
  EXPECT_EQ(c.rate, 11025) << "the beep and the built-in voice were heard";
  EXPECT_GT(c.data.size(), 2000u);
}

TEST_F(Sapi5Test, NoServerOrNoVoiceMeansTheBuiltInPathWithoutAMessage) {
  setenv("SPEECHD_ADDRESS", "unix_socket:/tmp/fonix-no-such-speechd/sock", 1);
  EXPECT_FALSE(StartServer("TIPOSAPI=5\r\n"));
  {
    PrivateSpeechd voiceless("dummy");
    ASSERT_TRUE(voiceless.Started()) << voiceless.Error();
    EXPECT_FALSE(StartServer("TIPOSAPI=54\r\n"));
  }
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(Console::RowText(row), "") << row;
  Say("abc");
  ASSERT_TRUE(SilentWithin(5000));
  const Capture c = Captured();
  EXPECT_EQ(c.rate, 11025);
  EXPECT_GT(c.data.size(), 1000u);
}

}  // namespace
