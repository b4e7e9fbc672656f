// The synthesizer library driven through its exported names with the voice the build made:
// rendered lengths follow the requested durations and the F0 follows the pitch points.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/tts/sonora/mbrola_fixture.h"

namespace {

class BuiltVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Complete()) << dlerror();
    std::string voice = BuiltVoice();
    ASSERT_EQ(lib.init(voice.data()), 0) << "the build's voice did not open: " << voice;
    lib.setNoError(1);
  }
  MbrolaLib lib;
};

// The samples between the first and last frame louder than a whisper.
std::pair<std::size_t, std::size_t> SoundingSpan(const std::vector<int16_t>& s) {
  constexpr std::size_t kFrame = 80;
  std::size_t first = s.size(), last = 0;
  for (std::size_t at = 0; at + kFrame <= s.size(); at += kFrame)
    if (Measure::Rms(s, at, kFrame) > 400) {
      first = std::min(first, at);
      last = at + kFrame;
    }
  return {first, last};
}

TEST_F(BuiltVoiceTest, TheUtteranceLastsTheSumOfItsDurations) {
  for (double factor : {0.5, 1.0, 2.5}) {
    const int a = static_cast<int>(180 * factor), k = static_cast<int>(90 * factor), o = static_cast<int>(220 * factor);
    const auto s = lib.Render({"_ 60", "k " + std::to_string(k), "a " + std::to_string(a) + " 50 120",
                               "z 80", "O " + std::to_string(o) + " 50 110", "_ 60"});
    const double wanted = (120.0 + a + k + 80 + o) * 16;
    EXPECT_NEAR(static_cast<double>(s.size()), wanted, wanted * 0.01) << "factor " << factor;
  }
}

TEST_F(BuiltVoiceTest, EachVowelSoundsForItsRequestedDuration) {
  for (int ms : {80, 150, 400, 1200}) {
    const auto s = lib.Render({"_ 200", "a " + std::to_string(ms) + " 0 120 100 120", "_ 200"});
    const auto [first, last] = SoundingSpan(s);
    ASSERT_LT(first, last) << ms << " ms of a made no sound";
    const double heard = static_cast<double>(last - first) / 16.0;
    EXPECT_NEAR(heard, ms, ms * 0.10 + 8) << "a of " << ms << " ms";
  }
}

TEST_F(BuiltVoiceTest, PitchFollowsThePointsOnVoicedFrames) {
  struct Case {
    std::vector<std::string> lines;
    double (*wanted)(double ms);  // the requested F0 at a time of the utterance
  };
  const std::vector<Case> cases = {
      {{"_ 50", "a 600 0 100 100 200", "_ 50"}, [](double t) { return 100 + 100 * (t - 50) / 600; }},
      {{"_ 50", "a 600 0 220 100 130", "_ 50"}, [](double t) { return 220 - 90 * (t - 50) / 600; }},
      {{"_ 50", "a 300 50 150", "m 150", "a 300 50 150", "_ 50"}, [](double) { return 150.0; }},
      {{"_ 50", "e 400 0 90", "u 400 100 180", "_ 50"}, [](double t) { return 90 + 90 * (t - 50) / 800; }},
  };
  for (const Case& c : cases) {
    const auto s = lib.Render(c.lines);
    int voiced = 0, within = 0;
    for (std::size_t at = 0; at + 640 + 300 < s.size(); at += 160) {
      const double f0 = Measure::F0(s, at);
      if (f0 == 0) continue;
      ++voiced;
      const double want = c.wanted((static_cast<double>(at) + 320) / 16.0);
      if (std::abs(f0 - want) <= want * 0.05) ++within;
    }
    ASSERT_GT(voiced, 20) << c.lines[1];
    // Frames straddling a consonant may read a period off; nearly all must match.
    EXPECT_GE(within, voiced * 9 / 10) << c.lines[1] << ": " << within << " of " << voiced << " voiced frames";
  }
}

TEST_F(BuiltVoiceTest, SamplesArriveBeforeTheUtteranceEnds) {
  // A line written with its pitch known is rendered at once, without waiting for flush_MBR.
  std::vector<int16_t> early;
  for (const char* l : {"_ 50 0 120", "a 200 50 120", "l 80 50 120", "a 200 50 120", "_ 50 100 120"}) {
    lib.Write(std::string(l) + "\r\n");
    const auto part = lib.ReadAll();
    early.insert(early.end(), part.begin(), part.end());
  }
  EXPECT_GT(early.size(), 16u * 300);
}

TEST_F(BuiltVoiceTest, OtherRatesEncodingsAndVolume) {
  const std::vector<std::string> lines = {"_ 50", "a 300 50 120", "_ 50"};
  const auto normal = lib.Render(lines);
  lib.setFreq(8000);
  EXPECT_EQ(lib.getFreq(), 8000);
  const auto half = lib.Render(lines);
  EXPECT_NEAR(static_cast<double>(half.size()), normal.size() / 2.0, 4);
  lib.setFreq(16000);
  lib.setVolume(0.5f);
  const auto quiet = lib.Render(lines);
  ASSERT_EQ(quiet.size(), normal.size());
  EXPECT_NEAR(Measure::Rms(quiet, 0, quiet.size()), Measure::Rms(normal, 0, normal.size()) / 2, 5);
  lib.setVolume(1.0f);
  for (const std::string& l : lines) lib.Write(l + "\n");
  lib.flush();
  std::vector<uint8_t> bytes(normal.size() + 10);
  ASSERT_EQ(lib.readType(bytes.data(), static_cast<int>(bytes.size()), MBR_LIN8), static_cast<int>(normal.size()));
  for (std::size_t i = 0; i < normal.size(); i += 97) EXPECT_EQ(bytes[i], static_cast<uint8_t>((normal[i] >> 8) + 128));
  char text[200];
  EXPECT_GT(lib.getVersion(text, sizeof text), 0);
  ASSERT_GT(lib.databaseInfo(text, sizeof text, 0), 0);
  EXPECT_NE(std::string(text).find("16000"), std::string::npos);
}

struct PhoneList {
  std::vector<MbrPhone*> phones;
  std::size_t next = 0;
  static MbrPhone* Next(void* self) {
    auto* l = static_cast<PhoneList*>(self);
    return l->next < l->phones.size() ? l->phones[l->next++] : nullptr;
  }
};

TEST_F(BuiltVoiceTest, PhonesFromAParserSoundAsTheSameLinesDo) {
  const auto fromLines = lib.Render({"_ 50", "m 100 50 110", "a 250 50 140", "_ 50"});
  PhoneList list;
  list.phones = {lib.initPhone("_", 50), lib.initPhone("m", 100), lib.initPhone("a", 250), lib.initPhone("_", 50)};
  ASSERT_EQ(lib.appendF0(list.phones[1], 50, 110), 1);
  ASSERT_EQ(lib.appendF0(list.phones[2], 50, 140), 1);
  EXPECT_EQ(lib.appendF0(list.phones[2], 150, 140), 0);
  MbrParser parser{&list, &PhoneList::Next};
  lib.setParser(&parser);
  const auto fromParser = lib.ReadAll();
  lib.setParser(nullptr);
  for (MbrPhone* p : list.phones) lib.closePhone(p);
  EXPECT_EQ(fromParser, fromLines);
}

}  // namespace
