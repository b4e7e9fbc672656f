// The braille input mode signals as the user hears them: fonix run with its keys typed and
// its sound on the capture device, the tones of each mode change found in what it captured.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fonix_run.h"

namespace {

// The fonix executable: this build's, or another named by FONIX_OTHER_BINARY (to hear an
// older build the same way).
std::string Binary() {
  const char* other = std::getenv("FONIX_OTHER_BINARY");
  return other != nullptr && *other ? other : FONIX_BINARY;
}

// The 8-bit mono samples of a captured WAV file at 11025 Hz (the tones' format).
std::vector<uint8_t> Samples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 44 || bytes[34] != 8 || bytes[22] != 1) return {};
  return {bytes.begin() + 44, bytes.end()};
}

// The tones heard, in order: the square wave's period at each rising edge read as one of the
// signals' pitches (400, 800, 1600 Hz, or 0 for anything else), runs of at least 20 periods
// of one pitch kept.
std::vector<int> Tones(const std::vector<uint8_t>& s) {
  std::vector<std::pair<int, int>> runs;  // pitch, periods
  std::size_t lastEdge = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (!(s[i - 1] == 96 && s[i] == 160)) continue;
    int pitch = 0;
    if (lastEdge != 0) {
      const double hz = 11025.0 / static_cast<double>(i - lastEdge);
      for (const int candidate : {400, 800, 1600})
        if (std::abs(hz - candidate) < candidate * 0.15) pitch = candidate;
    }
    lastEdge = i;
    if (!runs.empty() && runs.back().first == pitch) ++runs.back().second;
    else runs.emplace_back(pitch, 1);
  }
  std::vector<int> tones;
  for (const auto& [pitch, periods] : runs)
    if (pitch != 0 && periods >= 20 && (tones.empty() || tones.back() != pitch)) tones.push_back(pitch);
  return tones;
}

class BrailleTonesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/fonix-braille-tones-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Runs `program` with `keys` typed; the tones it played.
  std::vector<int> Heard(const std::string& program, const std::string& keys) {
    const std::string capture = dir_ + "/som.wav";
    std::filesystem::remove(capture);
    const FonixRun run = RunFonix(dir_, program, {{"FONIX_AUDIO", "capture:" + capture}, {"FONIX_KEYS", keys}}, {}, Binary());
    EXPECT_EQ(run.status, 0) << run.errors;
    return Tones(Samples(capture));
  }
  std::string dir_;
};

TEST_F(BrailleTonesTest, ModeOneThenModeTwoSoundBothTonesOfEach) {
  // Ctrl+Alt+F11 twice: mode 1 (800 Hz then 1600 Hz), mode 2 (800 Hz then 400 Hz); Enter
  // is read by the program and ends it.
  const std::vector<int> expected{800, 1600, 800, 400};
  // As the program starts (the keys are there before it runs) ...
  EXPECT_EQ(Heard("le tecla $t\n", "{CTRL+ALT+F11}{WAIT 600}{CTRL+ALT+F11}{WAIT 600}{ENTER}"), expected);
  // ... and while it waits for a key after it has spoken.
  EXPECT_EQ(Heard("escreve \"ola\"\nle tecla $t\n", "{WAIT 300}{CTRL+ALT+F11}{WAIT 600}{CTRL+ALT+F11}{WAIT 600}{ENTER}"),
            expected);
}

}  // namespace
