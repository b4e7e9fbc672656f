// The speech manager's operations as the transcript sees them: each says what it would
// speak; writing goes to the console's standard output.
#include "speech/speech.h"

#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/messages.h"
#include "platform/transcript.h"

namespace Speech {

bool InitSpeech(int, std::string_view) { return true; }

void CloseSpeech() { WaitForSilence(); }

void Speak(std::string_view text) { Transcript::Event("say", text); }

void SpeakChar(uint8_t code) { Transcript::Event("char", std::to_string(code)); }

void Spell(std::string_view text) { Transcript::Event("spell", text); }

void StopSpeech() { Transcript::Event("stop"); }

bool IsSpeaking() { return false; }

void WaitForSilence() {
  while (IsSpeaking()) {
    Messages::WaitMessage(50);
    Messages::PumpMessages();
  }
}

void WriteAndSpeak(std::string_view text) {
  Console::StdoutWrite(text);
  Speak(text);
}

void WriteLineAndSpeak(std::string_view text) {
  Console::StdoutWrite(text);
  Console::StdoutWrite("\r\n");
  Speak(text);
}

void WriteNumberAndSpeak(long long number) { WriteAndSpeak(std::to_string(number)); }

uint8_t ReadKeyAndSpeak() {
  const uint8_t key = Keyboard::ConsoleReadKey();
  StopSpeech();
  SpeakChar(key);
  return key;
}

void PlayBeep() {
  while (Keyboard::ConsoleKeyPressed()) Keyboard::ConsoleReadKey();
  Transcript::Event("beep");
}

void PlayClick() { Transcript::Event("click"); }

}  // namespace Speech
