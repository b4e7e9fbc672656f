// The default voice renders everyday sentences at a natural length: between half and twice
// eSpeak NG's own rendering, and without a silence as long as a word.
#include <espeak-ng/speak_lib.h>

#include <filesystem>
#include <fstream>

#include "tests/support/interp_fixture.h"
#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"
#include "tests/support/recording_device.h"
#include "audio/sound_queue.h"

namespace {

int EspeakSamples = 0;
int CountSamples(short*, int n, espeak_EVENT*) {
  EspeakSamples += n;
  return 0;
}

double EspeakSeconds(const std::string& utf8) {
  EspeakSamples = 0;
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  espeak_Synchronize();
  return EspeakSamples / 22050.0;
}

// The longest run of near-silence, in seconds.
double LongestSilence(const std::vector<uint8_t>& sound) {
  std::size_t longest = 0, run = 0;
  for (uint8_t s : sound) {
    run = (s >= 125 && s <= 131) ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest / 11025.0;
}

class FrasesTest : public InterpTest {};

TEST_F(FrasesTest, SentencesLastAsLongAsSpeechDoes) {
  std::vector<uint8_t> sound;
  ASSERT_TRUE(StartRecordedVoice(sound, 3));
  ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0), 0);
  ASSERT_EQ(espeak_SetVoiceByName("pt-br"), EE_OK);
  espeak_SetSynthCallback(CountSamples);
  // Our voice says the punctuation marks by name, as its users want; so is eSpeak NG told to.
  espeak_SetParameter(espeakPUNCTUATION, espeakPUNCT_ALL, 0);

  std::ifstream in(FONIX_FRASES);
  int sentences = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    ++sentences;
    sound.clear();
    Speech::Speak(Cp1252::FromUtf8(line));
    const double ours = sound.size() / 11025.0, theirs = EspeakSeconds(line);
    EXPECT_GE(ours, 0.5 * theirs) << line << ": " << ours << " s against " << theirs << " s";
    EXPECT_LE(ours, 2.0 * theirs) << line << ": " << ours << " s against " << theirs << " s";
    EXPECT_LT(LongestSilence(sound), 0.3) << line;
  }
  EXPECT_EQ(sentences, 10);
  espeak_Terminate();
  SoundQueue::ResetSoundQueue();
}

}  // namespace
