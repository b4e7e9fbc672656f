// The dispatch on the server type. The Sonora engine (type 3) is built in; the other
// servers are not yet, so opening them fails and speech stays on the built-in path, as it
// does when a configured voice is not installed.
#include "speech/speech_server.h"

#include "platform/messages.h"
#include "speech/sonora_server.h"
#include "speech/speech_state.h"

namespace Speech {

bool OpenSpeechServer(int, int rate, int pitch, std::string_view outputFile, int serverType) {
  if (serverType == kSonoraServer) return SonoraServerOpen(rate, pitch, outputFile);
  return false;
}

void ServerSpeak(std::string_view text) {
  if (St().serverType == kSonoraServer) SonoraServerSpeak(text);
}

bool ServerIsSpeaking(bool) {
  if (St().serverType == kSonoraServer) return SonoraServerIsSpeaking();
  Messages::PumpMessages();
  return false;
}

void ServerStop() {
  if (St().serverType == kSonoraServer) SonoraServerStop();
}

void CloseSpeechServer() {
  if (St().serverType == kSonoraServer) SonoraServerClose();
}

}  // namespace Speech
