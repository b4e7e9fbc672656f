// The diphone player on a small index of its own: pairs of a word, the fall-backs of a
// missing name with their factors, noise, the cut of unstressed diphones, the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "speech/diphone_phones.h"
#include "speech/diphone_synth.h"

namespace {

using DiphoneSynth::Synth;

// Each unit is `length` bytes of one value, so what was played tells which unit it was.
struct FakeVoice {
  std::vector<uint8_t> data;
  std::vector<std::vector<uint8_t>> images;  // what was played
  std::vector<uint8_t> heard;                // their samples, in order

  // Without the cross-fade and the fade-out every unit is heard whole, as it is stored.
  explicit FakeVoice(const std::map<std::string, std::pair<uint8_t, uint16_t>>& units, bool smooth = false) {
    DiphoneSynth::ResetSynth();
    if (!smooth) Synth().crossFade = Synth().fadeOut = 0;
    for (const auto& [name, unit] : units) {  // a map is sorted by name, as the index must be
      const auto offset = static_cast<uint32_t>(data.size());
      std::vector<uint8_t> r(15, 0);
      r[0] = static_cast<uint8_t>(name.size());
      std::copy(name.begin(), name.end(), r.begin() + 1);
      r[9] = static_cast<uint8_t>(unit.second & 0xFF);
      r[10] = static_cast<uint8_t>(unit.second >> 8);
      for (int k = 0; k < 4; ++k) r[11 + static_cast<std::size_t>(k)] = static_cast<uint8_t>(offset >> (8 * k));
      Synth().index.insert(Synth().index.end(), r.begin(), r.end());
      data.insert(data.end(), unit.second, unit.first);
    }
    Synth().readUnit = [this](uint32_t offset, std::size_t length) {
      const std::size_t end = std::min(data.size(), offset + length);
      return std::vector<uint8_t>(data.begin() + offset, data.begin() + static_cast<std::ptrdiff_t>(end));
    };
    Synth().readRecorded = [](const std::string& name) -> std::optional<std::vector<uint8_t>> {
      if (name == "_98") return std::vector<uint8_t>(50, 98);
      return std::nullopt;
    };
    Synth().play = [this](const uint8_t* image, std::size_t size) {
      images.emplace_back(image, image + size);
      heard.insert(heard.end(), image + 44, image + size);
    };
  }
  ~FakeVoice() { DiphoneSynth::ResetSynth(); }

  // Runs of equal bytes: (value, count).
  std::vector<std::pair<int, int>> Runs() const {
    std::vector<std::pair<int, int>> runs;
    for (uint8_t b : heard) {
      if (!runs.empty() && runs.back().first == b) ++runs.back().second;
      else runs.push_back({b, 1});
    }
    return runs;
  }
};

using Runs = std::vector<std::pair<int, int>>;

TEST(Synth, AWordIsTheChainOfItsPairsWithTheGapAfterIt) {
  FakeVoice v({{"$$K", {1, 100}}, {"$KA", {2, 100}}, {"$AZ", {3, 100}}, {"$ZA", {4, 100}}, {"$A$", {5, 100}}});
  Synth().interPal = 250;  // whole blocks of 100
  DiphoneSynth::Say("[k/A/z/a]");
  EXPECT_EQ(v.Runs(), (Runs{{1, 100}, {2, 100}, {3, 100}, {4, 100}, {5, 100}, {128, 200}}));
}

TEST(Synth, WithoutAGapWordsRunOnThroughTheDiphoneBetweenThem) {
  FakeVoice v({{"$$K", {1, 100}}, {"$KA", {2, 100}}, {"$AK", {3, 100}}, {"$A$", {5, 100}}, {"$$Z", {6, 100}}, {"$ZA", {7, 100}}});
  DiphoneSynth::Say("[k/a] [k/a]");
  EXPECT_EQ(v.Runs(), (Runs{{1, 100}, {2, 100}, {3, 100}, {2, 100}, {5, 100}}));
  // No diphone a-z in the index: the first word ends in silence, the next starts from it.
  v.heard.clear();
  DiphoneSynth::Say("[k/a] [z/a]");
  EXPECT_EQ(v.Runs(), (Runs{{1, 100}, {2, 100}, {5, 100}, {6, 100}, {7, 100}, {5, 100}}));
  // A pause or a recorded letter ends the run.
  v.heard.clear();
  DiphoneSynth::Say("[k/a] _, [ /_b]");
  EXPECT_EQ(v.Runs(), (Runs{{1, 100}, {2, 100}, {5, 100}, {128, 4000}, {98, 50}}));
}

TEST(Synth, UnstressedDiphonesAreCutButNeverTheStressedOnes) {
  FakeVoice v({{"$$K", {1, 1000}}, {"$KA", {2, 1000}}, {"$AZ", {3, 1000}}, {"$ZA", {4, 1000}}, {"$A$", {5, 1000}}});
  Synth().corteFon = 300;
  Synth().sobraFon = 800;
  DiphoneSynth::Say("[k/A/z/a]");
  // Stressed: k-A and A-z keep 1000; the others drop to 700, below 800, so take 800.
  EXPECT_EQ(v.Runs(), (Runs{{1, 800}, {2, 1000}, {3, 1000}, {4, 800}, {5, 800}}));
  v.heard.clear();
  Synth().sobraFon = 0;
  Synth().corteFon = 2000;  // more than a diphone holds: nothing of it, never a negative length
  DiphoneSynth::Say("[k/A/z/a]");
  EXPECT_EQ(v.Runs(), (Runs{{2, 1000}, {3, 1000}}));
}

TEST(Synth, MissingNamesFallBackWithTheirFactors) {
  FakeVoice v({{"$K", {1, 100}}, {"$A", {2, 100}}, {"$ACIRC", {3, 100}}, {"$NN", {4, 100}}, {"$AW", {5, 100}}});
  DiphoneSynth::PlayName("$KA", 1.0);        // $K at 0.9, then $A
  DiphoneSynth::PlayName("$KACIRC", 1.0);    // $K at 0.9, then $ACIRC
  DiphoneSynth::PlayName("$AWTIL", 1.0);     // $AWCIRC (missing: $A at 0.81, $WCIRC silent), then $NN at 0.9
  DiphoneSynth::PlayName("$XYZ", 1.0);       // nothing to fall back to: silent
  DiphoneSynth::Flush();
  EXPECT_EQ(v.Runs(), (Runs{{1, 90}, {2, 100}, {1, 90}, {3, 100}, {2, 81}, {4, 90}}));
}

TEST(Synth, AMissingReducedAIsTheFullOne) {
  FakeVoice v({{"$ZA", {1, 100}}, {"$A$", {2, 100}}, {"$ZA&", {3, 100}}});
  DiphoneSynth::PlayName("$ZA&", 1.0);  // there
  DiphoneSynth::PlayName("$A&$", 1.0);  // missing: the full a's
  DiphoneSynth::Flush();
  EXPECT_EQ(v.Runs(), (Runs{{3, 100}, {2, 100}}));
}

TEST(Synth, AMissingShortNameIsNoise) {
  FakeVoice v({});
  DiphoneSynth::PlayName("$Q", 1.0);
  DiphoneSynth::Flush();
  ASSERT_EQ(v.heard.size(), DiphoneSynth::kNoiseBytes);
  bool varied = false;
  for (uint8_t b : v.heard) {
    EXPECT_GE(b, 88);
    EXPECT_LE(b, 167);
    varied |= b != v.heard.front();
  }
  EXPECT_TRUE(varied);
}

TEST(Synth, SplittingFactorsOfGlidesAndFinalS) {
  using DiphonePhones::Token;
  auto units = [](std::string_view notation) {
    Token previous;
    std::vector<std::pair<std::string, double>> out;
    for (const auto& p : DiphoneSynth::SplitUnit(notation, previous, true, true)) out.push_back({p.unit, p.factor});
    return out;
  };
  using U = std::vector<std::pair<std::string, double>>;
  EXPECT_EQ(units("pAy"), (U{{"$p", 1.0}, {"pA", 0.6}, {"Ay", 1.0}, {"y$", 1.0}}));
  EXPECT_EQ(units("kA~w"), (U{{"$k", 1.0}, {"kAn", 0.6}, {"Aw~", 1.0}, {"wn$", 1.0}}));
  EXPECT_EQ(units("kAzas"), (U{{"$k", 1.0}, {"kA", 1.0}, {"Az", 1.0}, {"za&", 0.7}, {"a&s", 1.0}, {"s$", 1.0}}));
  // The unstressed a of the last syllable is the reduced one; a stressed a, an a before
  // the last syllable and the a of a word of one vowel keep the full a.
  EXPECT_EQ(units("kAza"), (U{{"$k", 1.0}, {"kA", 1.0}, {"Az", 1.0}, {"za&", 1.0}, {"a&$", 1.0}}));
  EXPECT_EQ(units("kazA"), (U{{"$k", 1.0}, {"ka", 1.0}, {"az", 1.0}, {"zA", 1.0}, {"A$", 1.0}}));
  EXPECT_EQ(units("na"), (U{{"$n", 1.0}, {"na", 1.0}, {"a$", 1.0}}));
  // An unstressed word of one syllable ending in i or u, or in s after it (de, dos),
  // reduces it; a stressed one or one closed by another consonant does not.
  EXPECT_EQ(units("dji"), (U{{"$dj", 1.0}, {"dji&", 1.0}, {"i&$", 1.0}}));
  EXPECT_EQ(units("dus"), (U{{"$d", 1.0}, {"du&", 0.7}, {"u&s", 1.0}, {"s$", 1.0}}));
  EXPECT_EQ(units("dU"), (U{{"$d", 1.0}, {"dU", 1.0}, {"U$", 1.0}}));
  EXPECT_EQ(units("duk"), (U{{"$d", 1.0}, {"du", 1.0}, {"uk", 1.0}, {"k$", 1.0}}));
  EXPECT_EQ(units("prAtu"), (U{{"$p", 1.0}, {"pr", 1.0}, {"rA", 1.0}, {"At", 1.0}, {"tu&", 1.0}, {"u&$", 1.0}}));
  EXPECT_EQ(units("pOdji"), (U{{"$p", 1.0}, {"pO", 1.0}, {"Odj", 1.0}, {"dji&", 1.0}, {"i&$", 1.0}}));
  EXPECT_EQ(units("vidEw"), (U{{"$v", 1.0}, {"vi", 1.0}, {"id", 1.0}, {"dE", 0.6}, {"Ew", 1.0}, {"w$", 1.0}}));  // no final a, i, u
  EXPECT_EQ(units("nhA"), (U{{"$nh", 1.0}, {"nhA", 1.0}, {"A$", 1.0}}));
  EXPECT_EQ(units("E"), (U{{"E", 1.0}}));  // one character: as it is
  // Every pair's unit gathers the name the database builder gives it.
  const auto& table = DiphonePhones::Table();
  for (std::size_t a = 0; a < table.size(); ++a)
    for (std::size_t b = 0; b < table.size(); ++b) {
      const auto g = DiphonePhones::GatherNames(DiphonePhones::PairUnit({int(a), true}, {int(b), false}));
      ASSERT_EQ(g.names.size(), 1u);
      EXPECT_EQ(g.names[0], DiphonePhones::PairName(int(a), int(b)));
    }
}

TEST(Synth, PausesRecordedLettersAndTheBufferFlushedAt64000) {
  FakeVoice v({{"$$A", {7, 60000}}, {"$A$", {9, 10000}}});
  DiphoneSynth::Say("[ /_b] _, [a/a]");
  // b's recording, the comma's 4000 bytes; then 60000 bytes would reach 64000: played first.
  ASSERT_GE(v.images.size(), 2u);
  EXPECT_EQ(v.images[0].size(), 44u + 50 + 4000);
  EXPECT_EQ(std::string(v.images[0].begin(), v.images[0].begin() + 4), "RIFF");
  for (const auto& image : v.images) EXPECT_LT(image.size(), DiphoneSynth::kBufferSize);
  EXPECT_EQ(v.Runs()[0], (std::pair<int, int>{98, 50}));
  EXPECT_EQ(v.Runs()[1], (std::pair<int, int>{128, 4000}));
  EXPECT_EQ(v.Runs()[2], (std::pair<int, int>{7, 60000}));
}

// The largest step between two neighbouring samples of what was heard.
int LargestStep(const std::vector<uint8_t>& heard, std::size_t from, std::size_t to) {
  int step = 0;
  for (std::size_t i = from + 1; i < to && i < heard.size(); ++i) step = std::max(step, std::abs(heard[i] - heard[i - 1]));
  return step;
}

TEST(Synth, JoinedUnitsFadeIntoEachOtherAndThePhraseFadesOut) {
  // Units of one level each, far apart: joined end to end they would jump by 120.
  FakeVoice v({{"$$K", {188, 1000}}, {"$KA", {68, 1000}}, {"$A$", {188, 1000}}}, true);
  DiphoneSynth::Say("[k/a]");
  const std::size_t k = DiphoneSynth::kCrossFade;
  // Each join overlaps the units: two joins shorten the phrase by two cross-fades.
  ASSERT_EQ(v.heard.size(), 3000 - 2 * k);
  EXPECT_LE(LargestStep(v.heard, 0, v.heard.size()), 120 / static_cast<int>(k) + 2);
  // Across the join the level goes from one unit's to the other's, never beyond.
  for (std::size_t i = 1000 - k; i < 1000; ++i) {
    EXPECT_LE(v.heard[i], 188);
    EXPECT_GE(v.heard[i], 68);
  }
  EXPECT_EQ(v.heard[1000 - k - 1], 188);
  EXPECT_EQ(v.heard[1000], 68);
  // The end: the last unit falls to silence over the fade, without a step, ending at 128.
  EXPECT_EQ(v.heard.back(), 128);
  const std::size_t fade = v.heard.size() - DiphoneSynth::kFadeOut;
  EXPECT_EQ(v.heard[fade - 1], 188);
  for (std::size_t i = fade; i < v.heard.size(); ++i) EXPECT_LE(v.heard[i], v.heard[i - 1]);
  EXPECT_LE(LargestStep(v.heard, fade - 1, v.heard.size()), 2);
}

// A voiced stretch: a sine of a 100-sample period from its rising zero crossing.
std::vector<uint8_t> Voiced(std::size_t count) {
  std::vector<uint8_t> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(std::lround(128 + 80 * std::sin(2 * std::numbers::pi * double(i) / 100))));
  return out;
}

TEST(Synth, AShortenedUnitMeetsTheNextInPhaseButHissIsJoinedWhereItEnds) {
  std::vector<uint8_t> hiss;
  for (int i = 0; i < 400; ++i) hiss.push_back(static_cast<uint8_t>(i % 2 ? 60 : 196));
  // The first unit ran out 90 samples into a period; the next starts where a period does.
  for (const std::vector<uint8_t>& next : {Voiced(300), hiss}) {
    DiphoneSynth::ResetSynth();
    const std::vector<uint8_t> first = Voiced(590);
    DiphoneSynth::Append(first.data(), first.size());
    DiphoneSynth::AppendJoined(next.data(), next.size());
    const std::size_t plain = 590 + next.size() - DiphoneSynth::kCrossFade, heard = Synth().fill - 44;
    if (next == hiss) {
      EXPECT_EQ(heard, plain);  // no period to match
    } else {
      EXPECT_LT(heard, plain);  // less than a period taken back, and no jump
      EXPECT_GT(heard, plain - 100);
      EXPECT_LE(LargestStep(std::vector<uint8_t>(Synth().buffer.begin() + 44, Synth().buffer.begin() + long(Synth().fill)), 0, heard), 7);
    }
  }
  DiphoneSynth::ResetSynth();
}

TEST(Synth, SoundFadesBeforeEveryPauseAndNothingJoinsIntoSilence) {
  FakeVoice v({{"$$K", {200, 1000}}, {"$KA", {200, 1000}}, {"$A$", {60, 1000}}}, true);
  Synth().interPal = 300;
  DiphoneSynth::Say("[k/a] _, [k/a]");
  const std::size_t word = 3000 - 2 * DiphoneSynth::kCrossFade;
  // word, its gap, the comma's pause, the word again: the gaps stay whole.
  ASSERT_EQ(v.heard.size(), word + 300 + 4000 + word + 300);
  for (std::size_t i = word; i < word + 4300; ++i) ASSERT_EQ(v.heard[i], 128) << i;
  EXPECT_EQ(v.heard[word - 1], 128);
  EXPECT_LE(LargestStep(v.heard, word - DiphoneSynth::kFadeOut - 1, word + 1), 2);
  EXPECT_EQ(v.heard[word + 4300], 200);  // after silence the word starts as it is stored
}

TEST(Synth, AKeyStopsThePhrase) {
  FakeVoice v({{"$$A", {7, 100}}});
  Synth().keyWaiting = [] { return true; };
  DiphoneSynth::Say("[a] [a]");
  EXPECT_TRUE(v.heard.empty());
}

}  // namespace
