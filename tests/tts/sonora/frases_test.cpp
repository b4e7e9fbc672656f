// Everyday sentences spoken by Sonora last about as long as eSpeak NG's rendering of the same
// text, and no word holds a silence of 0.3 s.
#include <espeak-ng/speak_lib.h>

#include <cmath>
#include <sstream>

#include "tests/tts/sonora/engine_fixture.h"
#include "tts/synthesize_lines.h"
#include "tts/text_engine.h"

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

struct Span {
  double from, to;  // ms
};

// The stretches of the utterance where the lines ask for a phoneme other than a pause.
std::vector<Span> Sounding(const std::vector<std::string>& lines) {
  std::vector<Span> spans;
  double t = 0;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == ';') continue;
    std::istringstream in(line);
    std::string name;
    double ms = 0;
    in >> name >> ms;
    if (name != "_") spans.push_back({t, t + ms});
    t += ms;
  }
  return spans;
}

// The longest silence (10 ms frames quieter than a breath) lying inside sounding phonemes.
double LongestSilenceInWords(const std::vector<int16_t>& s, const std::vector<Span>& spans) {
  double longest = 0, run = 0;
  for (std::size_t at = 0; at + 160 <= s.size(); at += 160) {
    double e = 0;
    for (std::size_t i = at; i < at + 160; ++i) e += static_cast<double>(s[i]) * s[i];
    const double ms = static_cast<double>(at) / 16.0;
    bool inWord = false;
    for (const Span& sp : spans) inWord = inWord || (ms >= sp.from && ms + 10 <= sp.to);
    if (inWord && std::sqrt(e / 160) < 150) run += 10;
    else if (!inWord || std::sqrt(e / 160) >= 150) run = 0;
    longest = std::max(longest, run);
  }
  return longest / 1000.0;
}

TEST_F(EngineTest, SentencesLastAsLongAsSpeechDoesWithoutGapsInWords) {
  ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0), 0);
  ASSERT_EQ(espeak_SetVoiceByName("pt-br"), EE_OK);
  espeak_SetSynthCallback(CountSamples);
  std::ifstream in(FONIX_FRASES);
  int sentences = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    ++sentences;
    ASSERT_TRUE(Sonora::SonoraOpen("c:\\frase.wav")) << Sonora::SonoraLastError();
    // The factors the speech manager sets with the default pitch and rate.
    Sonora::SonoraSetFactors(1.0, 0.8);
    const auto lines = Sonora::TextToMbrolaLines(Cp1252::FromUtf8(line), 1.0, 0.8);
    EXPECT_TRUE(Sonora::SynthesizeLines(lines)) << line;
    Sonora::SonoraClose();
    Wave w;
    ASSERT_TRUE(ReadWave(Drive() + "/frase.wav", w));
    const double ours = w.samples.size() / 16000.0, theirs = EspeakSeconds(line);
    EXPECT_GE(ours, 0.5 * theirs) << line << ": " << ours << " s against " << theirs << " s";
    EXPECT_LE(ours, 2.0 * theirs) << line << ": " << ours << " s against " << theirs << " s";
    EXPECT_LT(LongestSilenceInWords(w.samples, Sounding(lines)), 0.3) << line;
  }
  EXPECT_EQ(sentences, 10);
  espeak_Terminate();
}

}  // namespace
