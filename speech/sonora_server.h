// Server type 3: the built-in Sonora engine behind the speech manager's server calls.
#pragma once

#include <string_view>

namespace Speech {

inline constexpr int kSonoraServer = 3;

// Ignores the voice number; the factors come from the rate and pitch settings.
bool SonoraServerOpen(int rate, int pitch, std::string_view outputFile);
void SonoraServerSpeak(std::string_view text);
// Stops the engine's playback when a key is waiting.
bool SonoraServerIsSpeaking();
void SonoraServerStop();
// Waits in steps of 500 ms until the engine is silent, stops and closes it.
void SonoraServerClose();

}  // namespace Speech
