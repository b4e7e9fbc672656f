// voicebuild: writes the recorded characters, words and telephone-key tones of the letters
// folder with the eSpeak NG Brazilian Portuguese voice, and a faster copy of every spoken
// file in its "rapido" sub-folder. Run by the build; see the usage text below.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/voicebuild/dtmf.h"
#include "tools/voicebuild/espeak_voice.h"
#include "tools/voicebuild/recorded_words.h"
#include "tools/voicebuild/resample.h"
#include "tools/voicebuild/sound_shape.h"
#include "tools/voicebuild/wave_file.h"
#include "tools/voicebuild/word_table.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNormalRate = 165;  // words per minute: unhurried, every letter name clear
constexpr int kFastRate = 290;    // for speech cutting, which wants the same words short
constexpr int kToneMs = 200;
constexpr float kPeak = 0.9f;     // leaves headroom: no sample reaches 0 or 255
constexpr std::size_t kKeepSamples = WaveFile::kRate / 100;  // 10 ms kept at each end

struct Options {
  std::string out, characters, spelling, words, stamp;
  bool list = false;  // print what each file would say, make nothing
};

bool ParseArguments(int argc, char** argv, Options& o) {
  int i = 1;
  if (argc > 1 && std::string(argv[1]) == "--list") {
    o.list = true;
    i = 2;
  }
  for (; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    std::string* slot = flag == "--out" ? &o.out : flag == "--characters" ? &o.characters
                      : flag == "--spelling" ? &o.spelling : flag == "--words" ? &o.words
                      : flag == "--stamp" ? &o.stamp : nullptr;
    if (slot == nullptr) return false;
    *slot = argv[i + 1];
  }
  return i == argc && (o.list || !o.out.empty()) && !o.characters.empty() && !o.spelling.empty() &&
         !o.words.empty();
}

bool Load(const std::string& path, std::vector<WordTable::Row>& rows) {
  std::string error;
  if (WordTable::Load(path, rows, error)) return true;
  std::fprintf(stderr, "voicebuild: %s\n", error.c_str());
  return false;
}

bool BuildList(const Options& o, std::vector<RecordedWords::Word>& list) {
  std::vector<WordTable::Row> characters, spelling, words;
  if (!Load(o.characters, characters) || !Load(o.spelling, spelling) || !Load(o.words, words)) return false;
  std::string error;
  if (!RecordedWords::CharacterWords(characters, list, error) || !RecordedWords::SpellingWords(spelling, list, error)) {
    std::fprintf(stderr, "voicebuild: %s\n", error.c_str());
    return false;
  }
  for (RecordedWords::Word& w : RecordedWords::NumberWords()) list.push_back(std::move(w));
  RecordedWords::AddWords(words, list);
  return true;
}

bool WriteShaped(const fs::path& path, const std::vector<float>& sound) {
  const std::vector<float> shaped = SoundShape::Normalise(SoundShape::TrimSilence(sound, kKeepSamples), kPeak);
  if (shaped.empty()) return false;
  return WaveFile::Write(path.string(), SoundShape::ToUnsigned8(shaped), WaveFile::kRate);
}

bool Speak(EspeakVoice::Session& voice, const RecordedWords::Word& word, int wordsPerMinute, const fs::path& folder) {
  const EspeakVoice::Sound sound = EspeakVoice::Synthesize(voice, word.text, wordsPerMinute);
  std::vector<float> samples(sound.samples.begin(), sound.samples.end());
  for (float& s : samples) s /= 32768.0f;
  if (WriteShaped(folder / (word.name + ".wav"), Resample::ToRate(samples, sound.rate, WaveFile::kRate))) return true;
  std::fprintf(stderr, "voicebuild: %s (\"%s\") could not be made\n", word.name.c_str(), word.text.c_str());
  return false;
}

bool WriteTones(const fs::path& folder) {
  for (char key : std::string("0123456789#*")) {
    // The file of "*" is named with an X, as the tone player asks for it.
    const std::string name = std::string("dtmf_") + (key == '*' ? 'X' : key) + ".wav";
    const std::vector<float> tone = Dtmf::Tone(key, kToneMs, WaveFile::kRate);
    if (!WaveFile::Write((folder / name).string(), SoundShape::ToUnsigned8(tone), WaveFile::kRate)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArguments(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: voicebuild [--list] [--out FOLDER] --characters FILE --spelling FILE --words FILE"
                 " [--stamp FILE]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<RecordedWords::Word> list;
  if (!BuildList(o, list)) return 1;
  if (o.list) {
    for (const RecordedWords::Word& word : list) std::printf("%s\t%s\n", word.name.c_str(), word.text.c_str());
    return 0;
  }

  const fs::path folder = o.out, fast = folder / "rapido";
  std::error_code ec;
  fs::create_directories(fast, ec);
  if (ec) {
    std::fprintf(stderr, "voicebuild: cannot make %s\n", fast.c_str());
    return 1;
  }
  EspeakVoice::Session voice({"pt-br", "roa/pt-BR", "Portuguese_(Brazil)"});
  if (voice.rate <= 0) {
    std::fprintf(stderr, "voicebuild: %s\n", voice.error.c_str());
    return 1;
  }
  for (const RecordedWords::Word& word : list)
    if (!Speak(voice, word, kNormalRate, folder) || !Speak(voice, word, kFastRate, fast)) return 1;
  if (!WriteTones(folder)) {
    std::fprintf(stderr, "voicebuild: the tone files could not be written\n");
    return 1;
  }

  if (!o.stamp.empty() && !std::ofstream(o.stamp, std::ios::trunc)) return 1;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("voicebuild: %zu words (and their fast copies) and 12 tones in %s, %lld ms\n", list.size(),
              folder.c_str(), static_cast<long long>(ms));
  return 0;
}
