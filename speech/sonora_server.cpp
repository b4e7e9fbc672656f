// The speech manager's calls for the Sonora engine, with the factors it derives from the
// server's pitch and rate and the waits it makes around open and close.
#include "speech/sonora_server.h"

#include "console/console.h"
#include "platform/events/messages.h"
#include "platform/headless/transcript.h"
#include "speech/speech_state.h"
#include "tts/sonora_engine.h"

namespace Speech {

bool SonoraServerOpen(int rate, int pitch, std::string_view outputFile) {
  Sonora::LocateDataFiles();
  if (!Sonora::SonoraOpen(outputFile)) return false;
  Sonora::SonoraSetFactors((pitch + 11) / 11.0, 0.8 - rate / 15.0);
  while (SonoraServerIsSpeaking()) Console::ConsoleDelay(50);
  return true;
}

void SonoraServerSpeak(std::string_view text) { Sonora::SonoraSpeak(text); }

bool SonoraServerIsSpeaking() {
  Messages::PumpMessages();
  if (KeyWaiting()) {
    Sonora::SonoraStop();
    return false;
  }
  return Sonora::SonoraIsPlaying();
}

void SonoraServerStop() { Sonora::SonoraStop(); }

void SonoraServerClose() {
  while (SonoraServerIsSpeaking()) Console::ConsoleDelay(500);
  Sonora::SonoraStop();
  Sonora::SonoraClose();
}

}  // namespace Speech
