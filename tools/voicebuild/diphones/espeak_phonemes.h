// eSpeak NG driven by phoneme input, monotone, with the start of every phoneme reported:
// the recordings the diphones are cut from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace EspeakPhonemes {

struct Event {
  std::string phoneme;  // eSpeak NG mnemonic, as its phoneme events name it
  std::size_t start;    // first sample
};

struct Recording {
  std::vector<int16_t> samples;
  std::vector<Event> events;  // in order; pauses ("_", "_:") included
};

// One synthesizer per process: eSpeak NG keeps its state globally.
struct Session {
  int rate = 0;  // samples per second; 0 when the library or the voice did not open
  std::string error;
  explicit Session(int wordsPerMinute);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// Speaks eSpeak NG phoneme mnemonics ("k'asa"); empty when synthesis failed.
Recording Speak(Session& session, std::string_view phonemes);

}  // namespace EspeakPhonemes
