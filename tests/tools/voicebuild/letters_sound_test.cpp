// The generated files are what the sound queue and the number-word joiner read: canonical
// 11025 Hz 8-bit mono WAVE, each with speech in it, neither clipped nor padded with silence;
// the tone files sound their two keypad frequencies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/voicebuild/letters_folder.h"
#include "tests/tools/voicebuild/wave_reader.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> AllFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(LettersFolder()))
    if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

// Samples within a step of 128 are silence (a soft "f" already moves further).
std::size_t LeadingQuiet(const Wave8& w) {
  std::size_t n = 0;
  while (n < w.data.size() && std::abs(w.data[n] - 128) <= 1) ++n;
  return n;
}
std::size_t TrailingQuiet(const Wave8& w) {
  std::size_t n = 0;
  while (n < w.data.size() && std::abs(w.data[w.data.size() - 1 - n] - 128) <= 1) ++n;
  return n;
}

}  // namespace

TEST(LettersSound, EveryFileIsACanonicalWaveWithSpeechLevelAndNoClipping) {
  const std::vector<fs::path> files = AllFiles();
  ASSERT_GT(files.size(), 700u);
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    ASSERT_EQ(path.extension(), ".wav");
    const Wave8 w = ReadWave8(path.string());
    EXPECT_TRUE(w.canonical);
    EXPECT_TRUE(w.sizesAgree);
    EXPECT_GT(w.Seconds(), 0.05);
    EXPECT_LT(w.Seconds(), 4.0);
    EXPECT_LT(w.LongestExtremeRun(), 3u);
    EXPECT_GT(w.Rms(), 0.05);  // speech at a normal level, not a faint murmur
  }
}

TEST(LettersSound, SpeechStartsAndEndsWithinAFewMilliseconds) {
  // Joined number words and spelled letters follow each other without gaps of silence.
  const std::size_t limit = 11025 * 40 / 1000;
  for (const fs::path& path : AllFiles()) {
    const Wave8 w = ReadWave8(path.string());
    EXPECT_LE(LeadingQuiet(w), limit) << path;
    EXPECT_LE(TrailingQuiet(w), limit) << path;
  }
}

TEST(LettersSound, ToneFilesHoldTheirKeypadRowAndColumn) {
  const std::vector<double> rows = {697, 770, 852, 941}, columns = {1209, 1336, 1477, 1633};
  const std::string keypad = "123A456B789CX0#D";  // X is the star key
  for (const char key : std::string("0123456789#X")) {
    SCOPED_TRACE(std::string(1, key));
    const Wave8 w = ReadWave8((LettersFolder() / (std::string("dtmf_") + key + ".wav")).string());
    EXPECT_NEAR(w.Seconds(), 0.2, 0.02);
    const std::size_t at = keypad.find(key);
    for (std::size_t r = 0; r < 4; ++r) {
      if (r == at / 4) EXPECT_GT(w.PowerAt(rows[r]), 0.3) << rows[r];
      else EXPECT_LT(w.PowerAt(rows[r]), 0.02) << rows[r];
    }
    for (std::size_t c = 0; c < 4; ++c) {
      if (c == at % 4) EXPECT_GT(w.PowerAt(columns[c]), 0.3) << columns[c];
      else EXPECT_LT(w.PowerAt(columns[c]), 0.02) << columns[c];
    }
  }
}
