// mbrola_voicebuild DIPHONE_LIST OUTPUT_FOLDER: records with eSpeak NG every diphone the
// list (portug.dfn) names and writes the synthesizer's voice database into the folder
// (diphones.idx, diphones.pcm), its units levelled. Diphones that cannot be cut are
// listed; the build goes on.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tools/voicebuild/mbrola/carrier_cut.h"
#include "tools/voicebuild/mbrola/leveling.h"
#include "tts/mbrola/voice_format.h"

namespace {

constexpr int kWordsPerMinute = 150;

void Put32(std::vector<char>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

void PutName(std::vector<char>& out, const std::string& name) {
  for (std::size_t k = 0; k < VoiceFormat::kNameSize; ++k) out.push_back(k < name.size() ? name[k] : '\0');
}

struct Pair {
  std::string a, b;
};

bool ReadPairs(const std::string& path, std::vector<Pair>& pairs) {
  std::ifstream in(path);
  if (!in) return false;
  std::set<std::string> seen;
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '!' || line[0] == '*') continue;
    const std::size_t dash = line.find('-', 1);
    if (dash == std::string::npos || !seen.insert(line).second) continue;
    pairs.push_back({line.substr(0, dash), line.substr(dash + 1)});
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mbrola_voicebuild DIPHONE_LIST OUTPUT_FOLDER\n");
    return 2;
  }
  std::vector<Pair> pairs;
  if (!ReadPairs(argv[1], pairs)) {
    std::fprintf(stderr, "mbrola_voicebuild: cannot read %s\n", argv[1]);
    return 1;
  }
  // Silence on both sides is always there: the renderer pads every utterance with it.
  pairs.push_back({"_", "_"});
  EspeakPhonemes::Session session(kWordsPerMinute);
  if (session.rate != 22050) {
    std::fprintf(stderr, "mbrola_voicebuild: %s\n", session.error.empty() ? "eSpeak NG does not speak at 22050 Hz" : session.error.c_str());
    return 1;
  }
  const double period = CarrierCut::RecordingPeriod(session);
  if (period <= 0) {
    std::fprintf(stderr, "mbrola_voicebuild: no pitch found in the recording of a vowel\n");
    return 1;
  }
  const uint32_t f0 = static_cast<uint32_t>(std::lround(VoiceFormat::kRate / period));
  std::vector<std::string> missing;
  std::set<std::string> done;
  std::vector<Leveling::Named> cut;
  for (const Pair& p : pairs) {
    const MbrolaVoice::Phoneme* a = MbrolaVoice::Find(p.a);
    const MbrolaVoice::Phoneme* b = MbrolaVoice::Find(p.b);
    if (a == nullptr || b == nullptr) {
      missing.push_back(p.a + "-" + p.b + ": not a phoneme of the voice");
      continue;
    }
    if (!done.insert(p.a + "-" + p.b).second) continue;
    CarrierCut::Unit u = CarrierCut::Cut(session, *a, *b, period);
    if (u.samples.empty()) {
      missing.push_back(p.a + "-" + p.b + ": " + u.problem);
      continue;
    }
    cut.push_back({p.a, p.b, std::move(u)});
  }
  const Leveling::Report level = Leveling::Level(cut, period);
  std::vector<char> units, marks, pcm;
  uint32_t unitCount = 0, markCount = 0, sampleCount = 0;
  for (const Leveling::Named& n : cut) {
    const CarrierCut::Unit& u = n.unit;
    PutName(units, n.first);
    PutName(units, n.second);
    for (uint32_t v : {sampleCount, static_cast<uint32_t>(u.samples.size()), u.start, u.boundary, u.end, markCount,
                       static_cast<uint32_t>(u.marks.size())})
      Put32(units, v);
    for (uint32_t m : u.marks) Put32(marks, m);
    for (int16_t s : u.samples) {
      pcm.push_back(static_cast<char>(static_cast<uint16_t>(s) & 0xFF));
      pcm.push_back(static_cast<char>(static_cast<uint16_t>(s) >> 8));
    }
    ++unitCount;
    markCount += static_cast<uint32_t>(u.marks.size());
    sampleCount += static_cast<uint32_t>(u.samples.size());
  }
  std::vector<char> index(VoiceFormat::kMagic, VoiceFormat::kMagic + 4);
  for (uint32_t v : {VoiceFormat::kVersion, static_cast<uint32_t>(VoiceFormat::kRate), f0, unitCount, markCount}) Put32(index, v);
  index.insert(index.end(), units.begin(), units.end());
  index.insert(index.end(), marks.begin(), marks.end());
  const std::filesystem::path out = argv[2];
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  std::ofstream idx(out / VoiceFormat::kIndexFile, std::ios::binary | std::ios::trunc);
  idx.write(index.data(), static_cast<std::streamsize>(index.size()));
  std::ofstream samples(out / VoiceFormat::kSamplesFile, std::ios::binary | std::ios::trunc);
  samples.write(pcm.data(), static_cast<std::streamsize>(pcm.size()));
  if (!idx || !samples) {
    std::fprintf(stderr, "mbrola_voicebuild: cannot write the database in %s\n", argv[2]);
    return 1;
  }
  for (const std::string& m : missing) std::printf("mbrola_voicebuild: missing %s\n", m.c_str());
  std::printf("mbrola_voicebuild: levelled: edges %.1f dB from their phoneme's level (%.1f dB before), peak %.0f (%.0f before),"
              " periods at %ld voiced edges %.2f samples from the recording's\n",
              level.edgeSpreadAfter, level.edgeSpreadBefore, level.peakAfter, level.peakBefore, level.periodEdges,
              level.periodSpread);
  std::printf("mbrola_voicebuild: %u diphones, %u samples, recorded at %u Hz (%zu missing)\n", unitCount, sampleCount, f0,
              missing.size());
  return 0;
}
