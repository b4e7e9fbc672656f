// The SAPI 4 engine on Linux: the eSpeak NG library, its Portuguese voices, rate and pitch,
// and text synthesized synchronously into a sink of 16-bit mono samples.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sapi4Espeak {

// Samples as they come out of the engine; returning false ends the synthesis there.
using Sink = bool (*)(const int16_t* samples, int count, void* context);

// Starts the library once per process (later calls return the first answer).
bool StartEngine();
// Sample rate of the engine's output (0 before a successful start).
int SampleRate();
// eSpeak NG's own Portuguese voices (identifiers), Brazilian ones first.
std::vector<std::string> PortugueseVoices();
bool SelectVoice(const std::string& identifier);
// Words per minute, clamped to what the engine takes.
void SetRate(int wordsPerMinute);
// 0..100 (50 is the voice's own), clamped.
void SetPitch(int pitch);
int Rate();
int Pitch();
// UTF-8 text; false when the engine refused it. Returns when every sample has gone to
// `sink` or the sink said stop.
bool Synthesize(std::string_view utf8, Sink sink, void* context);

}  // namespace Sapi4Espeak
