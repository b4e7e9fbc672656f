// The SAPI 5 voice (server type 54 and any type but 3 and 4): the user's own Speech
// Dispatcher, with its voices and settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

namespace Sapi5Voice {

struct State {
  bool open = false;
  bool lost = false;              // the server went away: speech takes the built-in path
  std::set<std::size_t> unended;  // messages handed over and not yet ended or cancelled
  long lastSent = -1;
  int64_t lastBeginMs = -1;       // when the server last began to speak (benchmarks)
};
State& St();

bool Open(int voice, int rate, std::string_view outputFile);
void Speak(std::string_view text);
bool IsSpeaking(bool strict);
void Stop();
void Close();
// Speech Dispatcher's rate for a SAPI rate (-10..10 → -100..100).
int ServerRate(int sapiRate);
void Reset();

}  // namespace Sapi5Voice
