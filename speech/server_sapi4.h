// The SAPI 4 voice (server type 4): eSpeak NG's Portuguese voices, played through the wave
// output like the built-in voice.
#pragma once

#include <string_view>

namespace Sapi4Voice {

struct State {
  bool open = false;
  int pending = 0;           // texts being spoken
  bool audioActive = false;  // their sound has started and not yet ended
  unsigned stops = 0;        // counts stops, so that a synthesis under way sees one
};
State& St();

bool Open(int voice, int speed, int pitch, std::string_view outputFile);
void Speak(std::string_view text);
bool IsSpeaking(bool strict);
void Stop();
void Close();
// eSpeak NG's pitch (0..100) for a pitch of the settings in hertz.
int EnginePitch(int hertz);
void Reset();

}  // namespace Sapi4Voice
