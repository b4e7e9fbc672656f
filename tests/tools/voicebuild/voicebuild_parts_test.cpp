// The sound processing of the generator: rate conversion without folding high harmonics
// back into the band, trimming that keeps the edges of a word, and the word tables' checks.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "tests/support/temp_drive.h"
#include "tools/voicebuild/recorded_words.h"
#include "tools/voicebuild/resample.h"
#include "tools/voicebuild/sound_shape.h"
#include "tools/voicebuild/word_table.h"

namespace {

std::vector<float> Sine(double hz, int rate, double seconds, double amplitude = 0.5) {
  std::vector<float> out(static_cast<std::size_t>(rate * seconds));
  for (std::size_t n = 0; n < out.size(); ++n)
    out[n] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * n / rate));
  return out;
}

// RMS of the middle half, away from the edges where the filter has no history.
double MiddleRms(const std::vector<float>& s) {
  double sum = 0;
  const std::size_t from = s.size() / 4, to = 3 * s.size() / 4;
  for (std::size_t i = from; i < to; ++i) sum += s[i] * s[i];
  return std::sqrt(sum / (to - from));
}

}  // namespace

TEST(VoicebuildResample, KeepsTheSpeechBandAndRemovesWhatWouldFoldBack) {
  const double full = 0.5 / std::sqrt(2.0);
  for (double hz : {300.0, 1000.0, 3000.0, 4500.0})
    EXPECT_NEAR(MiddleRms(Resample::ToRate(Sine(hz, 22050, 0.5), 22050, 11025)), full, 0.02 * full) << hz;
  // 7 kHz would come back at 4025 Hz, 9 kHz at 2025 Hz: both must be at least 60 dB down.
  for (double hz : {6000.0, 7000.0, 9000.0})
    EXPECT_LT(MiddleRms(Resample::ToRate(Sine(hz, 22050, 0.5), 22050, 11025)), full / 1000) << hz;
  // Rates that are not multiples of each other.
  const std::vector<float> up = Resample::ToRate(Sine(1000, 16000, 0.5), 16000, 11025);
  EXPECT_NEAR(up.size(), 11025 / 2, 2);
  EXPECT_NEAR(MiddleRms(up), full, 0.02 * full);
}

TEST(VoicebuildShape, TrimsSilenceButKeepsTheWordsEdgesAndLevelsWithoutClipping) {
  std::vector<float> word(3000, 0.0f);
  const std::vector<float> tone = Sine(440, 11025, 0.1, 0.2);
  word.insert(word.end(), tone.begin(), tone.end());
  word.insert(word.end(), 2000, 0.0f);
  const std::vector<float> trimmed = SoundShape::TrimSilence(word, 110);
  EXPECT_NEAR(trimmed.size(), tone.size() + 220, 4);
  EXPECT_TRUE(SoundShape::TrimSilence(std::vector<float>(500, 0.0f), 110).empty());

  const std::vector<uint8_t> bytes = SoundShape::ToUnsigned8(SoundShape::Normalise(trimmed, 0.9f));
  EXPECT_EQ(bytes.front(), 128);
  EXPECT_EQ(*std::max_element(bytes.begin(), bytes.end()), 128 + 114);
  EXPECT_GE(*std::min_element(bytes.begin(), bytes.end()), 128 - 115);
}

TEST(VoicebuildTables, RejectMalformedLinesAndIncompleteAlphabets) {
  TempDrive temp;
  const auto table = temp.Write(temp.base / "words.txt", "# comment\n\n_hora\thora\n_bad line\n");
  std::vector<WordTable::Row> rows;
  std::string error;
  EXPECT_FALSE(WordTable::Load(table.string(), rows, error));
  EXPECT_NE(error.find(":4:"), std::string::npos) << error;
  EXPECT_FALSE(WordTable::Load((temp.base / "absent.txt").string(), rows, error));

  std::vector<RecordedWords::Word> words;
  EXPECT_FALSE(RecordedWords::SpellingWords({{"A", "á de amor"}, {"B", "bê de bola"}}, words, error));
  EXPECT_FALSE(RecordedWords::SpellingWords({{"A", "á de amor"}, {"a", "á de asa"}}, words, error));
}

TEST(VoicebuildTables, AWordsRowReplacesTheTextOfADerivedWord) {
  std::vector<RecordedWords::Word> words = RecordedWords::NumberWords();
  RecordedWords::AddWords({{"_E", "i"}, {"_hora", "hora"}}, words);
  const auto e = std::find_if(words.begin(), words.end(), [](const auto& w) { return w.name == "_e"; });
  ASSERT_NE(e, words.end());
  EXPECT_EQ(e->text, "i");
  EXPECT_EQ(std::count_if(words.begin(), words.end(), [](const auto& w) { return w.name == "_hora"; }), 1);
}
