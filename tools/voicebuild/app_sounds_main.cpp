// appsounds FOLDER: writes the eleven sounds of the Clipora-light application into FOLDER
// (11025 Hz, 8-bit mono), the voiced ones spoken by eSpeak NG's Brazilian Portuguese voice.
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/voicebuild/app_sounds.h"
#include "tools/voicebuild/espeak_voice.h"
#include "tools/voicebuild/resample.h"
#include "tools/voicebuild/sound_shape.h"
#include "tools/voicebuild/wave_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = WaveFile::kRate;
constexpr float kPeak = 0.85f;

std::vector<float> Voice(EspeakVoice::Session& voice, const std::string& words, int wordsPerMinute) {
  const EspeakVoice::Sound sound = EspeakVoice::Synthesize(voice, words, wordsPerMinute);
  std::vector<float> samples(sound.samples.begin(), sound.samples.end());
  for (float& s : samples) s /= 32768.0f;
  if (samples.empty()) return samples;
  return SoundShape::TrimSilence(Resample::ToRate(samples, sound.rate, kRate), kRate / 100);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: appsounds FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code ec;
  fs::create_directories(folder, ec);
  EspeakVoice::Session voice({"pt-br", "roa/pt-BR", "Portuguese_(Brazil)"});
  if (voice.rate <= 0) {
    std::fprintf(stderr, "appsounds: %s\n", voice.error.c_str());
    return 1;
  }
  for (const AppSounds::Sound& sound : AppSounds::Table()) {
    std::vector<float> samples = AppSounds::Cue(sound.cue, kRate);
    if (!sound.words.empty()) {
      const std::vector<float> words = Voice(voice, sound.words, sound.wordsPerMinute);
      if (words.empty()) {
        std::fprintf(stderr, "appsounds: %s (\"%s\") could not be spoken\n", sound.file.c_str(), sound.words.c_str());
        return 1;
      }
      if (!samples.empty()) samples.resize(samples.size() + kRate / 20, 0.0f);  // a breath after the chime
      samples.insert(samples.end(), words.begin(), words.end());
    }
    const std::vector<float> shaped = SoundShape::Normalise(samples, kPeak);
    if (shaped.empty() || !WaveFile::Write((folder / sound.file).string(), SoundShape::ToUnsigned8(shaped), kRate)) {
      std::fprintf(stderr, "appsounds: %s could not be written\n", sound.file.c_str());
      return 1;
    }
  }
  return 0;
}
