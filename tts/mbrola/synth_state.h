// The synthesizer's one plain state: the loaded voice, the phones waiting to be rendered,
// the overlap-add accumulator and the samples ready to be read.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace Mbr {

struct Diphone {
  uint32_t offset = 0, length = 0, start = 0, boundary = 0, end = 0;
  uint32_t firstMark = 0, markCount = 0;
};

struct Voice {
  std::string path;
  int f0 = 0;                                       // recording pitch, Hz
  std::vector<int16_t> samples;
  std::vector<Diphone> units;
  std::vector<uint32_t> marks;
  std::unordered_map<std::string, std::size_t> byPair;  // "a-b" → unit
  std::map<std::string, std::size_t> anyLeft, anyRight;  // phoneme → a unit where it is left / right
  std::map<std::string, std::string> alias;             // renamed or cloned phonemes
};

struct PitchPoint {
  double percent = 0;  // of the phone's duration
  double hz = 0;
};

struct Phone {
  std::string name;
  double ms = 0;
  std::vector<PitchPoint> points;
};

// Error codes of lastError_MBR.
enum Error : int {
  kNoError = 0,
  kNotInitialised = 1,
  kDatabaseMissing = 2,
  kDatabaseCorrupt = 3,
  kBadLine = 4,
  kUnknownPhoneme = 5,
  kMissingDiphone = 6,
  kBadArgument = 7,
};

struct State {
  bool open = false;
  Voice voice;
  bool noError = false;
  int lastError = kNoError;
  std::string lastErrorText;
  int freq = 16000;     // output rate asked for; the voice's own is 16000
  float volume = 1.0f;

  std::deque<Phone> pending;     // written, not yet rendered
  std::string previous = "_";    // left neighbour of pending.front()
  double timeMs = 0;             // start of pending.front() on the output timeline
  double lastPointMs = -1;       // the latest pitch point already passed
  double lastPointHz = 0;
  double nextMark = 0;           // next pitch mark of the output, in samples
  std::vector<float> acc;        // overlap-add accumulator, acc[0] is output sample accBase
  uint64_t accBase = 0;
  double resamplePos = 0;        // position of the next output sample when freq differs
  std::vector<float> resampleTail;
  std::vector<int16_t> ready;    // samples that can be read
  std::size_t readAt = 0;
  void* parser = nullptr;        // setParser_MBR
  std::vector<std::vector<float>> windows;  // the Hann windows by half width, made on first use
};

State& S();
// Everything but the voice and the settings back to the start of an utterance.
void ResetStream();
// All of it as at start: no voice, the settings and windows gone.
void Reset();
void SetError(int code, std::string text);

}  // namespace Mbr
