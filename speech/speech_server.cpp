// The dispatch on the server type: 3 is the Sonora engine, 4 the SAPI 4 voice (eSpeak NG),
// 54 and every other type the SAPI 5 voice (Speech Dispatcher). A server that fails to open
// leaves speech on the built-in path, as it does when a configured voice is not installed;
// the calls below are then never reached for it.
#include "speech/speech_server.h"

#include "platform/events/messages.h"
#include "speech/server_sapi4.h"
#include "speech/server_sapi5.h"
#include "speech/sonora_server.h"
#include "speech/speech_state.h"

namespace Speech {
namespace {

bool IsSonora(int type) { return type == kSonoraServer; }
bool IsSapi4(int type) { return type == 4; }
bool IsSapi5(int type) { return type != kSonoraServer && type != 4; }

}  // namespace

bool OpenSpeechServer(int voice, int rate, int pitch, std::string_view outputFile, int serverType) {
  if (IsSonora(serverType)) return SonoraServerOpen(rate, pitch, outputFile);
  if (IsSapi4(serverType)) return Sapi4Voice::Open(voice, rate, pitch, outputFile);
  if (IsSapi5(serverType)) return Sapi5Voice::Open(voice, rate, outputFile);
  return false;
}

void ServerSpeak(std::string_view text) {
  if (IsSonora(St().serverType)) return SonoraServerSpeak(text);
  if (IsSapi4(St().serverType)) return Sapi4Voice::Speak(text);
  if (IsSapi5(St().serverType)) return Sapi5Voice::Speak(text);
}

bool ServerIsSpeaking(bool strict) {
  if (IsSonora(St().serverType)) return SonoraServerIsSpeaking();
  if (IsSapi4(St().serverType)) return Sapi4Voice::IsSpeaking(strict);
  if (IsSapi5(St().serverType)) return Sapi5Voice::IsSpeaking(strict);
  Messages::PumpMessages();
  return false;
}

void ServerStop() {
  if (IsSonora(St().serverType)) return SonoraServerStop();
  if (IsSapi4(St().serverType)) return Sapi4Voice::Stop();
  if (IsSapi5(St().serverType)) return Sapi5Voice::Stop();
}

void CloseSpeechServer() {
  if (IsSonora(St().serverType)) return SonoraServerClose();
  if (IsSapi4(St().serverType)) return Sapi4Voice::Close();
  if (IsSapi5(St().serverType)) return Sapi5Voice::Close();
}

}  // namespace Speech
