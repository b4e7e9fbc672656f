// The runtime itself (fonix, headless) configured for Sonora: every text it speaks reaches
// the capture device as 16000 Hz 16-bit speech, and a key silences it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/fonix_run.h"
#include "tests/tts/sonora/engine_fixture.h"

namespace {

class FonixRun : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ::testing::TempDir() + "sonora_fonix_" + std::to_string(getpid());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ + "/config/Auris");
    std::filesystem::create_directories(root_ + "/c");
    std::ofstream(root_ + "/config/Auris/Auris.ini") << "[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\nTIPOSAPI=3\r\n";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  // Runs the program (UTF-8 lines) with the keys; the exit status.
  int Run(const std::string& program, const std::string& keys) {
    const auto run = RunFonix(root_, program,
                              {{"FONIX_AUDIO", "capture:" + root_ + "/som.wav"}, {"FONIX_KEYS", keys},
                               {"ASAN_OPTIONS", "detect_leaks=0"}});
    transcript_ = run.transcript;
    return run.status;
  }
  const std::string& Transcript() const { return transcript_; }
  std::string transcript_;
  std::string root_;
};

double Seconds(const Wave& w) { return w.samples.size() / static_cast<double>(w.rate); }

double SpeechSeconds(const Wave& w) {
  std::size_t loud = 0;
  for (std::size_t at = 0; at + 160 <= w.samples.size(); at += 160) {
    double e = 0;
    for (std::size_t i = at; i < at + 160; ++i) e += static_cast<double>(w.samples[i]) * w.samples[i];
    if (std::sqrt(e / 160) > 300) ++loud;
  }
  return loud * 0.01;
}

TEST_F(FonixRun, EverythingSpokenIsSonorasSpeech) {
  ASSERT_EQ(Run("escreve \"Bom dia, como vai você?\"\nescreve \"Hoje é terça-feira, dia 8.\"\n", ""), 0);
  Wave w;
  ASSERT_TRUE(ReadWave(root_ + "/som.wav", w));
  EXPECT_EQ(w.rate, 16000u);
  EXPECT_EQ(w.bits, 16);
  EXPECT_EQ(w.channels, 1);
  // Two sentences and "Fim do script": a few seconds, most of them voice.
  EXPECT_GT(Seconds(w), 2.5);
  EXPECT_LT(Seconds(w), 9.0);
  EXPECT_GT(SpeechSeconds(w), 1.5);
  EXPECT_NE(Transcript().find("say: Fim do script"), std::string::npos);
}

TEST_F(FonixRun, AKeySilencesTheSpeech) {
  const std::string text =
      "escreve \"Minha filha gosta de ler livros antes de dormir, e depois sonha com viagens longas "
      "pelo interior do país, onde as estradas são compridas e as cidades pequenas.\"\n";
  ASSERT_EQ(Run(text + "termina mudo\n", ""), 0);
  Wave whole;
  ASSERT_TRUE(ReadWave(root_ + "/som.wav", whole));
  ASSERT_GT(Seconds(whole), 4.0);
  ASSERT_EQ(Run(text + "le x\ntermina mudo\n", "{WAIT 600}a{ENTER}"), 0);
  Wave cut;
  ASSERT_TRUE(ReadWave(root_ + "/som.wav", cut));
  EXPECT_LT(Seconds(cut), Seconds(whole) - 2.0) << "the key stopped the voice";
  EXPECT_NE(Transcript().find("stop"), std::string::npos);
}

}  // namespace
