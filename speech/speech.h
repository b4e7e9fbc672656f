// The speech manager: everything the program says goes through these operations. Text is
// handed to a speech server when one is open, or walked here and played from recorded
// characters, words and the diphone voice. A key waiting in the queue silences it all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Speech {

// Start-up with a speed (0 or less: from the settings) and the words folder of the runtime.
// When the voice data cannot be opened it tells the user, waits for Enter and ends the
// program.
void InitSpeech(int speed, std::string_view wordsFolder);
void CloseSpeech();
// The speech manager's state as at start, with the diphone voice's files closed (tests, a
// second run in one process).
void ResetSpeech();
// Joins the sound queue to the console and the settings (InitSpeech does it; tests and tools
// that play without the speech manager call it themselves).
void ConnectSoundQueue();
int Speed();

void Speak(std::string_view text);
void SpeakChar(uint8_t code);
void SpeakWordFile(std::string_view name);
bool WordFileExists(std::string_view name);
void Spell(std::string_view text);
void StopSpeech();
bool IsSpeaking();
// While speech goes on, waits for window messages (a key cuts the speech short).
void WaitForSilence();
void WaitForServer();
void SpeechPause(int milliseconds);
// Says the mark the text begins with and waits the mark's pause.
void PunctuationPause(std::string_view text);
void PlaySoundImage(std::string_view image);
void WriteAndSpeak(std::string_view text);
void WriteLineAndSpeak(std::string_view text);
void WriteNumberAndSpeak(long long number);
// Reads one key, stops speech, says the key's character and returns it.
uint8_t ReadKeyAndSpeak();
void PlayBeep();
void PlayClick();
void PlayToneDigits(std::string_view text);
void SpeakBatteryStatus();

}  // namespace Speech
