// The synthesizer library's answers to bad input: damaged databases, bad lines, unknown
// phonemes, missing diphones, extreme durations and pitch points, very long texts.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/tts/sonora/mbrola_fixture.h"

namespace {

std::string ErrorText(MbrolaLib& lib) {
  char text[300] = {};
  lib.lastErrorStr(text, sizeof text);
  return text;
}

TEST(MbrolaDatabase, DamagedVoicesAreRefusedAtInit) {
  MbrolaLib lib;
  ASSERT_TRUE(lib.Complete());
  ScratchDir dir;
  const SyntheticVoice good({{"_", "_"}, {"_", "a"}, {"a", "_"}});
  good.Save(dir.Path() + "/good");
  std::string path = dir.Path() + "/good";
  ASSERT_EQ(lib.init(path.data()), 0) << ErrorText(lib);

  struct Damage {
    const char* what;
    void (*apply)(SyntheticVoice& v);
  };
  const std::vector<Damage> damages = {
      {"index truncated", [](SyntheticVoice& v) { v.index.resize(v.index.size() - 3); }},
      {"index cut inside the records", [](SyntheticVoice& v) { v.index.resize(40); }},
      {"samples past the end", [](SyntheticVoice& v) { v.samples.resize(v.samples.size() / 2); }},
      {"wrong magic", [](SyntheticVoice& v) { v.index[0] = 'X'; }},
      {"offset past the end", [](SyntheticVoice& v) { v.index[24 + 36 + 8 + 3] = 0x7F; }},
      {"cut points out of order", [](SyntheticVoice& v) { v.index[24 + 16 + 1] = 0x7F; }},
      {"mark past its unit", [](SyntheticVoice& v) {
         const std::size_t firstMark = 24 + 36 * 3;
         v.index[firstMark + 2] = 0x7F;
       }},
      {"marks beyond the table", [](SyntheticVoice& v) { v.index[24 + 32 + 2] = 0x10; }},
      {"empty", [](SyntheticVoice& v) { v.index.clear(); }},
  };
  for (const Damage& d : damages) {
    SyntheticVoice bad = good;
    d.apply(bad);
    const std::string folder = dir.Path() + "/" + std::to_string(&d - damages.data());
    bad.Save(folder);
    std::string p = folder;
    EXPECT_LT(lib.init(p.data()), 0) << d.what;
    EXPECT_NE(lib.lastError(), 0) << d.what;
    EXPECT_FALSE(ErrorText(lib).empty()) << d.what;
    // A refused voice leaves nothing to synthesize with.
    EXPECT_LT(lib.Write("a 100\n"), 0) << d.what;
  }
  std::string missing = dir.Path() + "/none";
  EXPECT_LT(lib.init(missing.data()), 0);
  EXPECT_LT(lib.init(nullptr), 0);
}

class SyntheticVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Complete());
    SyntheticVoice({{"_", "_"}, {"_", "a"}, {"a", "_"}, {"_", "o"}, {"o", "_"}, {"a", "o"}}).Save(dir.Path() + "/v");
    std::string p = dir.Path() + "/v";
    ASSERT_EQ(lib.init(p.data()), 0) << ErrorText(lib);
  }
  MbrolaLib lib;
  ScratchDir dir;
};

TEST_F(SyntheticVoiceTest, BadLinesAreRefusedAndTheRestStillSpeaks) {
  for (const char* line : {"a", "a x", "a 100 50", "a 100 50 x", "longname 100", "a -5", "a 100001", "a 1e999", "a nan"}) {
    lib.reset();
    EXPECT_LT(lib.Write(std::string(line) + "\r\n"), 0) << line;
    EXPECT_EQ(lib.lastError(), 4) << line;
    lib.reset();
    EXPECT_EQ(lib.lastError(), 0);
  }
  // Comments, blank lines and several lines in one call.
  lib.Write("; a comment\r\n\r\n_ 50\na 100 50 100\n_ 50\n");
  lib.flush();
  EXPECT_NEAR(static_cast<double>(lib.ReadAll().size()), 200 * 16, 16);
}

TEST_F(SyntheticVoiceTest, UnknownPhonemesAndMissingDiphones) {
  // Error mode: an unknown phoneme is refused, a missing diphone is reported.
  lib.setNoError(0);
  EXPECT_LT(lib.Write("x 100\n"), 0);
  EXPECT_EQ(lib.lastError(), 5);
  lib.reset();
  lib.Render({"_ 50", "o 100 50 100", "a 100", "_ 50"});  // o-a is not in the voice
  EXPECT_EQ(lib.lastError(), 6);
  EXPECT_NE(ErrorText(lib).find("o"), std::string::npos);
  lib.reset();
  // No-error mode: both are bridged and the timing holds.
  lib.setNoError(1);
  const auto s = lib.Render({"_ 50", "o 100 50 100", "a 100", "x 100", "a 100", "_ 50"});
  EXPECT_EQ(lib.lastError(), 0);
  EXPECT_NEAR(static_cast<double>(s.size()), 500 * 16, 16);
  EXPECT_LT(Measure::Rms(s, 265 * 16, 70 * 16), 50) << "the unknown phoneme is silence";
  EXPECT_GT(Measure::Rms(s, 100 * 16, 60 * 16), 500);
}

TEST_F(SyntheticVoiceTest, ExtremeDurationsAndPitchPoints) {
  lib.setNoError(1);
  // Zero-length phones vanish; a 100-second phone is rendered whole.
  auto s = lib.Render({"_ 0", "a 0 50 100", "a 100 50 100", "_ 0"});
  EXPECT_NEAR(static_cast<double>(s.size()), 100 * 16, 16);
  s = lib.Render({"a 100000 0 100 100 100"});
  EXPECT_NEAR(static_cast<double>(s.size()), 100000.0 * 16, 16);
  // Points out of order are put in order; 0 Hz points are dropped; wild values held.
  const auto ordered = lib.Render({"_ 50", "a 400 0 100 100 150", "_ 50"});
  const auto shuffled = lib.Render({"_ 50", "a 400 100 150 50 0 0 100", "_ 50"});
  EXPECT_EQ(ordered, shuffled);
  s = lib.Render({"a 200 0 100000 50 -7 100 0.001 200 80"});
  EXPECT_NEAR(static_cast<double>(s.size()), 200 * 16, 16);
}

TEST_F(SyntheticVoiceTest, TenThousandLinesInOneText) {
  lib.setNoError(1);
  std::size_t total = 0;
  for (int i = 0; i < 10000; ++i) {
    lib.Write(std::string(i % 2 ? "a" : "o") + " 20 50 " + std::to_string(90 + i % 50) + "\r\n");
    total += lib.ReadAll().size();
  }
  lib.flush();
  total += lib.ReadAll().size();
  EXPECT_NEAR(static_cast<double>(total), 10000.0 * 20 * 16, 32);
}

TEST_F(SyntheticVoiceTest, ResetDiscardsPendingInputAndOutput) {
  lib.Write("_ 50\na 500 50 100\na 500 50 100\n");
  lib.reset();
  lib.flush();
  EXPECT_TRUE(lib.ReadAll().empty());
  // Renamed and cloned phonemes.
  std::string p = dir.Path() + "/v";
  std::string rename = "a A", clone = "o U";
  ASSERT_EQ(lib.initRename(p.data(), rename.data(), clone.data()), 0);
  lib.setNoError(0);
  EXPECT_LT(lib.Write("a 100\n"), 0) << "a was renamed";
  lib.reset();
  const auto s = lib.Render({"_ 50", "A 100 50 100", "U 100 50 100", "o 100 50 100", "_ 50"});
  EXPECT_EQ(lib.lastError(), 6) << "A-U is A-o... which the voice lacks";
  EXPECT_NEAR(static_cast<double>(s.size()), 400 * 16, 16);
}

TEST(MbrolaLibrary, CallsBeforeInitFailCleanly) {
  MbrolaLib lib;
  ASSERT_TRUE(lib.Complete());
  lib.close();
  EXPECT_LT(lib.Write("a 100\n"), 0);
  EXPECT_EQ(lib.lastError(), 1);
  EXPECT_LT(lib.flush(), 0);
  short buf[16];
  EXPECT_EQ(lib.read(buf, 16), 0);
  EXPECT_EQ(lib.read(nullptr, 16), 0);
  EXPECT_LT(lib.write(nullptr), 0);
}

}  // namespace
