// The seams of the diphone player filled with the real things: the ".DIF" file, the
// letters folder's WAVE files, the sound queue and the key queue.
#include "speech/diphone_play.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "speech/diphone_notation.h"
#include "speech/diphone_synth.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"

namespace DiphonePlay {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
struct State {
  std::unique_ptr<std::FILE, FileCloser> file;  // the database's ".DIF" file
  std::string letters;                           // the letters folder, ending in "\"
};
State& St() {
  static State state;
  return state;
}
std::unique_ptr<std::FILE, FileCloser>& DataFile() { return St().file; }
std::string& Letters() { return St().letters; }

std::vector<uint8_t> ReadUnit(uint32_t offset, std::size_t length) {
  std::vector<uint8_t> data(length);
  std::FILE* f = DataFile().get();
  if (f == nullptr || std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return {};
  data.resize(std::fread(data.data(), 1, length, f));
  return data;
}

std::optional<std::vector<uint8_t>> ReadRecorded(const std::string& name) {
  std::ifstream in(Paths::ToHost(Letters() + name + ".wav"), std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < DiphoneSynth::kHeaderSize) return std::vector<uint8_t>{};
  return std::vector<uint8_t>(bytes.begin() + DiphoneSynth::kHeaderSize, bytes.end());
}

void Play(const uint8_t* image, std::size_t size) {
  if (size <= DiphoneSynth::kHeaderSize || Speech::KeyWaiting()) return;
  SoundQueue::PlaySamples(image + DiphoneSynth::kHeaderSize, size - DiphoneSynth::kHeaderSize, 11025, 1, 8);
  while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(10);
}

}  // namespace

int Open(const std::string& folder, const std::string& databaseName, const std::string& lettersFolder) {
  Close();
  std::ifstream index(Paths::ToHost(folder + databaseName + ".IND"), std::ios::binary);
  if (!index) return 1;
  std::vector<uint8_t> records((std::istreambuf_iterator<char>(index)), std::istreambuf_iterator<char>());
  records.resize(records.size() / DiphoneSynth::kRecordSize * DiphoneSynth::kRecordSize);
  DataFile().reset(std::fopen(Paths::ToHost(folder + databaseName + ".DIF").c_str(), "rb"));
  if (!DataFile()) return 1;
  const int rules = DiphoneNotation::LoadFiles(Paths::ToHost(folder + "regras.rgr"), Paths::ToHost(folder + "portug.exc"));
  if (rules != 0) {
    Close();
    return rules;
  }
  DiphoneSynth::State& s = DiphoneSynth::Synth();
  s.index = std::move(records);
  s.buffer.assign(DiphoneSynth::kBufferSize, 128);
  s.readUnit = ReadUnit;
  s.readRecorded = ReadRecorded;
  s.play = Play;
  s.keyWaiting = Speech::KeyWaiting;
  Letters() = lettersFolder;
  return 0;
}

void Close() {
  DiphoneSynth::ResetSynth();
  DiphoneNotation::ResetFiles();
  DataFile().reset();
}

void Reset() {
  Close();
  St() = State{};
}

void SayPhrase(std::string_view text) {
  DiphoneSynth::State& s = DiphoneSynth::Synth();
  const auto& timing = Speech::St().timing;
  s.corteFon = timing.corteFon;
  s.sobraFon = timing.sobraFon;
  s.interPal = timing.interPal;
  DiphoneSynth::Say(DiphoneNotation::TextNotation(text));
}

}  // namespace DiphonePlay
