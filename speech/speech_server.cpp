// The dispatch on the server type: 4 is the SAPI 4 voice (eSpeak NG), 3 the Sonora engine,
// 54 and every other type the SAPI 5 voice (Speech Dispatcher). A type whose server is not
// built in fails to open, and speech stays on the built-in path, as it does when a
// configured voice is not installed; the calls below are then never reached for it.
#include "speech/speech_server.h"

#include "platform/messages.h"
#include "speech/server_sapi4.h"
#include "speech/server_sapi5.h"
#include "speech/speech_state.h"

namespace Speech {
namespace {

bool IsSapi4(int type) { return type == 4; }
bool IsSapi5(int type) { return type != 3 && type != 4; }

}  // namespace

bool OpenSpeechServer(int voice, int rate, int pitch, std::string_view outputFile, int serverType) {
  if (IsSapi4(serverType)) return Sapi4Voice::Open(voice, rate, pitch, outputFile);
  if (IsSapi5(serverType)) return Sapi5Voice::Open(voice, rate, outputFile);
  return false;
}

void ServerSpeak(std::string_view text) {
  if (IsSapi4(St().serverType)) return Sapi4Voice::Speak(text);
  if (IsSapi5(St().serverType)) return Sapi5Voice::Speak(text);
}

bool ServerIsSpeaking(bool strict) {
  if (IsSapi4(St().serverType)) return Sapi4Voice::IsSpeaking(strict);
  if (IsSapi5(St().serverType)) return Sapi5Voice::IsSpeaking(strict);
  Messages::PumpMessages();
  return false;
}

void ServerStop() {
  if (IsSapi4(St().serverType)) return Sapi4Voice::Stop();
  if (IsSapi5(St().serverType)) return Sapi5Voice::Stop();
}

void CloseSpeechServer() {
  if (IsSapi4(St().serverType)) return Sapi4Voice::Close();
  if (IsSapi5(St().serverType)) return Sapi5Voice::Close();
}

}  // namespace Speech
