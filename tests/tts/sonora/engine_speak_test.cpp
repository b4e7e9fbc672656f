// Sonora's sound: what reaches the sound card matches what the output file receives, the
// speed-ups are kept off, short sounds are padded, questions rise and statements fall, and
// the speech manager speaks through the engine as server type 3.
#include <algorithm>
#include <cmath>
#include <memory>

#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"
#include "tests/tts/sonora/engine_fixture.h"
#include "tests/tts/sonora/mbrola_fixture.h"
#include "tests/support/recording_device.h"
#include "tts/synthesize_lines.h"
#include "audio/sound_queue.h"

namespace {

std::vector<int16_t> SpokenToFile(const std::string& folder, const std::string& text) {
  if (!Sonora::SonoraOpen("c:\\fala.wav")) return {};
  Sonora::SonoraSpeak(text);
  Sonora::SonoraClose();
  Wave w;
  return ReadWave(folder + "/fala.wav", w) ? w.samples : std::vector<int16_t>{};
}

TEST_F(EngineTest, TheSoundCardGetsWhatTheFileGetsWithTheSpeedUpsOff) {
  const std::string text = "Minha filha gosta de ler livros antes de dormir, e depois sonha com viagens longas.";
  const std::vector<int16_t> file = SpokenToFile(Drive(), text);
  ASSERT_GT(file.size(), 64000u) << "long enough for more than one playback block";
  std::vector<int16_t> played;
  std::vector<WaveOut::Format> formats;
  SoundQueue::ResetSoundQueue(RecordingDevice::Samples16(played, formats));
  SoundQueue::WaveFlags().fastRate = true;
  SoundQueue::WaveFlags().speechCutting = true;
  ASSERT_TRUE(Sonora::SonoraOpen("")) << Sonora::SonoraLastError();
  EXPECT_TRUE(Sonora::SonoraSpeak(text));
  while (Sonora::SonoraIsPlaying()) Messages::WaitMessage(10);
  EXPECT_TRUE(SoundQueue::WaveFlags().fastRate) << "restored after synthesis";
  EXPECT_TRUE(SoundQueue::WaveFlags().speechCutting);
  ASSERT_FALSE(formats.empty());
  for (const WaveOut::Format& f : formats) {
    EXPECT_EQ(f.rate, 16000) << "never sped up";
    EXPECT_EQ(f.bits, 16) << "never cut";
    EXPECT_EQ(f.channels, 1);
  }
  EXPECT_EQ(played, file);

  // A sound shorter than 128 samples is padded to 256 bytes.
  played.clear();
  EXPECT_TRUE(Sonora::SynthesizeLines({"a 3 50 120"}));
  while (Sonora::SonoraIsPlaying()) Messages::WaitMessage(10);
  EXPECT_EQ(played.size(), 128u);
  // A line the synthesizer refuses makes the call fail; the reset after it drops what was
  // pending (the first pause) and the lines after it still sound.
  played.clear();
  EXPECT_FALSE(Sonora::SynthesizeLines({"_ 50", "a", "a 200 50 120", "_ 50"}));
  while (Sonora::SonoraIsPlaying()) Messages::WaitMessage(10);
  EXPECT_NEAR(static_cast<double>(played.size()), 250 * 16, 16);
  Sonora::SonoraClose();
}

// Median F0 of the voiced frames in [from, to) samples.
double MedianF0(const std::vector<int16_t>& s, std::size_t from, std::size_t to) {
  std::vector<double> f;
  for (std::size_t at = from; at + 640 < to; at += 160)
    if (const double v = Measure::F0(s, at); v > 0) f.push_back(v);
  if (f.empty()) return 0;
  std::sort(f.begin(), f.end());
  return f[f.size() / 2];
}

// The span of the last voiced stretch of the utterance, back from its end.
std::size_t LastVoiced(const std::vector<int16_t>& s) {
  for (std::size_t at = s.size() > 1000 ? s.size() - 1000 : 0; at > 160; at -= 160)
    if (Measure::F0(s, at) > 0) return at + 640;
  return 0;
}

TEST_F(EngineTest, QuestionsRiseAndStatementsFall) {
  for (const char* words : {"Você vem amanhã", "Eles compraram o carro novo"}) {
    const auto question = SpokenToFile(Drive(), Cp1252::FromUtf8(std::string(words) + "?"));
    const auto statement = SpokenToFile(Drive(), Cp1252::FromUtf8(std::string(words) + "."));
    const std::size_t qEnd = LastVoiced(question), sEnd = LastVoiced(statement);
    ASSERT_GT(qEnd, 8000u) << words;
    ASSERT_GT(sEnd, 8000u) << words;
    // The last 400 ms: above the sentence's median in a question, below it in a statement.
    const double qWhole = MedianF0(question, 0, qEnd), qLast = MedianF0(question, qEnd - 6400, qEnd);
    const double sWhole = MedianF0(statement, 0, sEnd), sLast = MedianF0(statement, sEnd - 6400, sEnd);
    EXPECT_GT(qLast, qWhole * 1.04) << words << "? ends at " << qLast << " Hz over " << qWhole;
    EXPECT_LT(sLast, sWhole * 0.97) << words << ". ends at " << sLast << " Hz over " << sWhole;
    EXPECT_GT(qLast, sLast * 1.15) << words;
  }
}

class SonoraServerTest : public EngineTest {};

TEST_F(SonoraServerTest, TheSpeechManagerSpeaksThroughTheEngine) {
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  Settings("[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\nTIPOSAPI=3\r\nTOM=11\r\nVELOCIDADE=3\r\n");
  std::vector<int16_t> played;
  std::vector<WaveOut::Format> formats;
  SoundQueue::ResetSoundQueue(RecordingDevice::Samples16(played, formats));
  Speech::InitSpeech(0, "");
  ASSERT_TRUE(Sonora::SonoraIsOpen()) << Sonora::SonoraLastError();
  EXPECT_DOUBLE_EQ(Sonora::Engine().pitchFactor, 2.0);
  EXPECT_DOUBLE_EQ(Sonora::Engine().durationFactor, 0.8 - 3 / 15.0);
  Speech::Speak("Bom dia.");
  while (Speech::IsSpeaking()) Messages::WaitMessage(10);
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.back().rate, 16000);
  EXPECT_EQ(formats.back().bits, 16);
  EXPECT_GT(played.size(), 16000u / 4);
  // Pitch factor 2: the voice speaks an octave above its usual 120 Hz or so.
  EXPECT_GT(MedianF0(played, 0, played.size()), 180);
  Speech::CloseSpeech();
  EXPECT_FALSE(Sonora::SonoraIsOpen());
}

TEST_F(SonoraServerTest, AnEngineThatDoesNotOpenLeavesTheBuiltInVoice) {
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  Settings("[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\nTIPOSAPI=3\r\n[SONORATTS]\r\nMBROLA_LIB=/nao/existe.so\r\n");
  std::vector<int16_t> played;
  std::vector<WaveOut::Format> formats;
  SoundQueue::ResetSoundQueue(RecordingDevice::Samples16(played, formats));
  Speech::InitSpeech(0, "");
  EXPECT_FALSE(Sonora::SonoraIsOpen());
  Speech::Speak("Bom dia.");
  while (Speech::IsSpeaking()) Messages::WaitMessage(10);
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front().rate, 11025) << "the built-in voice spoke";
  Speech::CloseSpeech();
}

}  // namespace
