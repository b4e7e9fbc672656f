// The diphone database the build records: no sample at full scale, every cut inside a phone
// at a rising zero crossing, units before a silence falling into a pause of their own, and the
// units meeting inside a vowel at that vowel's level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "speech/diphone_phones.h"
#include "speech/diphone_synth.h"

namespace {

struct Unit {
  std::string name;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Unit> Database() {
  const std::string base = std::string(FONIX_DIPHONE_DATA_DIR) + "/DIFONES2";
  const std::vector<uint8_t> index = ReadAll(base + ".IND"), data = ReadAll(base + ".DIF");
  std::vector<Unit> units;
  for (std::size_t at = 0; at + 15 <= index.size(); at += 15) {
    const uint8_t* r = index.data() + at;
    const std::size_t length = r[9] | (r[10] << 8);
    const std::size_t offset = r[11] | (r[12] << 8) | (r[13] << 16) | (std::size_t(r[14]) << 24);
    if (offset + length > data.size()) {
      ADD_FAILURE() << "unit beyond the data file at record " << at / 15;
      continue;
    }
    units.push_back({std::string(reinterpret_cast<const char*>(r + 1), r[0]),
                     std::vector<uint8_t>(data.begin() + long(offset), data.begin() + long(offset + length))});
  }
  return units;
}

// The phones a pair name stands for; nothing for the units of one phone alone.
std::map<std::string, std::pair<int, int>> PairsByName() {
  std::map<std::string, std::pair<int, int>> pairs;
  const int n = static_cast<int>(DiphonePhones::Table().size());
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) pairs[DiphonePhones::PairName(a, b)] = {a, b};
  return pairs;
}

bool Voiced(int phone) {
  const auto kind = DiphonePhones::Table()[static_cast<std::size_t>(phone)].kind;
  return kind == DiphonePhones::Kind::Vowel || kind == DiphonePhones::Kind::Nasal;
}

double EdgeRms(const std::vector<uint8_t>& b, std::size_t from) {
  double sum = 0;
  for (std::size_t i = from; i < from + 110; ++i) sum += (b[i] - 128.0) * (b[i] - 128.0);
  return std::sqrt(sum / 110);
}

TEST(DiphoneDatabase, NoSampleReachesFullScale) {
  const std::vector<Unit> units = Database();
  ASSERT_GT(units.size(), 500u);
  int loudest = 0;
  for (const Unit& u : units)
    for (uint8_t b : u.bytes) loudest = std::max(loudest, std::abs(b - 128));
  EXPECT_LT(loudest, 125);  // 8-bit full scale is 127 below and 128 above silence
  EXPECT_GT(loudest, 90);   // and the voice still uses the range
}

TEST(DiphoneDatabase, CutsInsideAPhoneAreRisingZeroCrossings) {
  const auto pairs = PairsByName();
  const std::size_t fade = DiphoneSynth::kCrossFade;
  int starts = 0, ends = 0;
  for (const Unit& u : Database()) {
    const auto it = pairs.find(u.name);
    if (it == pairs.end() || u.bytes.size() < 2 * fade + 2) continue;
    const auto [a, b] = it->second;
    // Silence on both sides of a cut in a closure is no crossing to find: skip flat edges.
    if (a != DiphonePhones::kSilence && std::abs(u.bytes[0] - 128) + std::abs(u.bytes[1] - 128) > 2) {
      ++starts;
      EXPECT_GE(u.bytes[0], 128) << u.name << " begins below silence";
    }
    // A unit going on into a phone carries the cross-fade beyond its cut.
    const std::size_t cut = u.bytes.size() - fade;
    if (b != DiphonePhones::kSilence && std::abs(u.bytes[cut] - 128) + std::abs(u.bytes[cut - 1] - 128) > 2) {
      ++ends;
      EXPECT_LE(u.bytes[cut - 1], 128) << u.name;
      EXPECT_GE(u.bytes[cut], 128) << u.name;
    }
  }
  EXPECT_GT(starts, 300);
  EXPECT_GT(ends, 300);
}

TEST(DiphoneDatabase, AUnitBeforeASilenceFallsToItAndEndsInThePauseThePlayerFades) {
  const auto pairs = PairsByName();
  int checked = 0;
  for (const Unit& u : Database()) {
    const auto it = pairs.find(u.name);
    if (it == pairs.end() || it->second.second != DiphonePhones::kSilence || it->second.first == DiphonePhones::kSilence) continue;
    ASSERT_GE(u.bytes.size(), DiphoneSynth::kFadeOut) << u.name;
    const std::size_t pause = u.bytes.size() - DiphoneSynth::kFadeOut;
    for (std::size_t i = pause; i < u.bytes.size(); ++i) ASSERT_EQ(u.bytes[i], 128) << u.name << " at " << i;
    // The last 1 ms of sound is well below the loudest 10 ms of the unit (but for sounds
    // as quiet as the rounding): it falls to silence rather than stopping.
    std::size_t end = pause;
    while (end > 110 && u.bytes[end - 1] == 128) --end;
    double loudest = 0, last = 0;
    for (std::size_t from = 0; from + 110 <= end; from += 55) loudest = std::max(loudest, EdgeRms(u.bytes, from));
    for (std::size_t i = end - std::min<std::size_t>(end, 11); i < end; ++i) last += (u.bytes[i] - 128.0) * (u.bytes[i] - 128.0) / 11;
    if (end >= 110 && loudest > 8) EXPECT_LT(std::sqrt(last), loudest / 2) << u.name;
    ++checked;
  }
  EXPECT_GT(checked, 30);
}

TEST(DiphoneDatabase, UnitsMeetInsideAVowelAtItsLevel) {
  const auto pairs = PairsByName();
  std::map<int, std::vector<double>> edges;
  for (const Unit& u : Database()) {
    const auto it = pairs.find(u.name);
    if (it == pairs.end() || u.bytes.size() < 300) continue;
    const auto [a, b] = it->second;
    if (a != DiphonePhones::kSilence && Voiced(a)) edges[a].push_back(EdgeRms(u.bytes, 0));
    if (b != DiphonePhones::kSilence && Voiced(b)) edges[b].push_back(EdgeRms(u.bytes, u.bytes.size() - 110));
  }
  ASSERT_GE(edges.size(), 7u);
  for (auto& [phone, levels] : edges) {
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2];
    std::size_t far = 0;
    for (double l : levels) far += std::fabs(20 * std::log10(l / median)) > 3.0;
    // Within 3 dB of the vowel's median level, but for the few the gain limit leaves; a
    // reduced vowel is so short that its 10 ms edges take in more of its neighbours.
    EXPECT_LE(far, levels.size() / (DiphonePhones::IsReduced(phone) ? 10 : 20)) << DiphonePhones::Table()[std::size_t(phone)].code << ": " << far << " of " << levels.size();
  }
}

}  // namespace
