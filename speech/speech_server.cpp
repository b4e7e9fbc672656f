// The dispatch on the server type. No server is built into this runtime yet, so opening
// fails and speech stays on the built-in path, as it does when a configured voice is not
// installed; the calls below are then never reached with a server open.
#include "speech/speech_server.h"

#include "platform/messages.h"

namespace Speech {

bool OpenSpeechServer(int, int, int, std::string_view, int) { return false; }

void ServerSpeak(std::string_view) {}

bool ServerIsSpeaking(bool) {
  Messages::PumpMessages();
  return false;
}

void ServerStop() {}

void CloseSpeechServer() {}

}  // namespace Speech
