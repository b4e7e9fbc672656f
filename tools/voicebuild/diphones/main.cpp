// diphone_build RULES OUTPUT_FOLDER [NAME]: records every diphone the rules can ask for
// with eSpeak NG, levels the units and writes the database NAME (DIFONES2) of the diphone
// voice. Pairs that could not be recorded are listed; the build goes on without them.
#include <cstdio>
#include <set>
#include <string>

#include "speech/diphone_phones.h"
#include "tools/voicebuild/diphones/database_file.h"
#include "tools/voicebuild/diphones/diphone_cut.h"
#include "tools/voicebuild/diphones/pair_set.h"
#include "tools/voicebuild/diphones/unit_level.h"

namespace {

constexpr int kWordsPerMinute = 185;

std::string Describe(int a, int b) {
  const auto& t = DiphonePhones::Table();
  auto show = [&t](int i) { return i == DiphonePhones::kSilence ? std::string("$") : std::string(t[static_cast<std::size_t>(i)].code); };
  return show(a) + "-" + show(b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: diphone_build RULES OUTPUT_FOLDER [NAME]\n");
    return 2;
  }
  const std::string name = argc > 3 ? argv[3] : "DIFONES2";
  PairSet::Wanted wanted;
  if (!PairSet::FromRules(argv[1], wanted)) {
    std::fprintf(stderr, "diphone_build: cannot read %s\n", argv[1]);
    return 1;
  }
  EspeakPhonemes::Session session(kWordsPerMinute);
  if (session.rate != 22050) {
    std::fprintf(stderr, "diphone_build: %s\n", session.error.empty() ? "eSpeak NG does not speak at 22050 Hz" : session.error.c_str());
    return 1;
  }
  std::vector<UnitLevel::Unit> units;
  std::set<std::string> names;
  std::vector<std::string> missing;
  auto add = [&](const std::string& unitName, const DiphoneCut::Cut& cut, const std::string& what, int a, int b) {
    if (unitName.empty() || unitName.size() > 8) {
      missing.push_back(what + ": name " + unitName + " does not fit an index record");
    } else if (!names.insert(unitName).second) {
      missing.push_back(what + ": name " + unitName + " already taken");
    } else if (cut.samples.empty()) {
      names.erase(unitName);
      missing.push_back(what + ": " + cut.problem);
    } else {
      units.push_back({unitName, cut.samples, cut.fromPhone ? a : -1, cut.toPhone ? b : -1});
    }
  };
  for (int a : wanted.solos) add(DiphonePhones::SoloName(a), DiphoneCut::Solo(session, a), "alone " + Describe(a, a), a, a);
  for (const auto& [a, b] : wanted.pairs) add(DiphonePhones::PairName(a, b), DiphoneCut::Pair(session, a, b), Describe(a, b), a, b);
  UnitLevel::LevelEdges(units);
  const std::vector<std::vector<uint8_t>> bytes = UnitLevel::ToBytes(units);
  std::vector<DatabaseFile::Unit> files;
  for (std::size_t i = 0; i < units.size(); ++i) files.push_back({units[i].name, bytes[i]});
  const std::string base = std::string(argv[2]) + "/" + name;
  if (!DatabaseFile::Write(base, files)) {
    std::fprintf(stderr, "diphone_build: cannot write %s.IND/.DIF\n", base.c_str());
    return 1;
  }
  for (const std::string& m : missing) std::printf("diphone_build: missing %s\n", m.c_str());
  std::printf("diphone_build: %zu units in %s (%zu wanted, %zu missing)\n", units.size(), name.c_str(),
              wanted.pairs.size() + wanted.solos.size(), missing.size());
  return 0;
}
