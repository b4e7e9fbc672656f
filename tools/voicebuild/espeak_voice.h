// The eSpeak NG library as a source of recorded words: one session with a Portuguese
// voice, texts in, 16-bit samples at eSpeak's own rate out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace EspeakVoice {

struct Sound {
  int rate = 0;                  // samples per second
  std::vector<int16_t> samples;  // mono
};

// Owns the library's process-wide state: eSpeak keeps one synthesizer per process, so
// at most one session may be alive at a time.
struct Session {
  int rate = 0;  // eSpeak's output rate; 0 when the library or the voice did not open
  std::string error;
  Session(const std::vector<std::string>& voiceNames);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// Speaks a UTF-8 text at wordsPerMinute; empty samples when synthesis failed.
Sound Synthesize(Session& session, std::string_view utf8Text, int wordsPerMinute);

}  // namespace EspeakVoice
