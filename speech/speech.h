// The speech manager: every spoken output of the runtime goes through these operations.
// Until the voices are built, each operation records itself in the event transcript and
// is otherwise silent, so that scripts can be run and checked headless.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Speech {

// Start-up with a speed (0: from the settings) and the words folder of the runtime.
bool InitSpeech(int speed, std::string_view wordsFolder);
void CloseSpeech();
void Speak(std::string_view text);
void SpeakChar(uint8_t code);
void Spell(std::string_view text);
void StopSpeech();
bool IsSpeaking();
// While speech goes on, waits for window messages (a key cuts the speech short).
void WaitForSilence();
void WriteAndSpeak(std::string_view text);
void WriteLineAndSpeak(std::string_view text);
void WriteNumberAndSpeak(long long number);
// Reads one key, stops speech, says the key's character and returns it.
uint8_t ReadKeyAndSpeak();
void PlayBeep();
void PlayClick();

}  // namespace Speech
