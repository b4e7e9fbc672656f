// The speech servers' table: 3 is the Sonora engine, 4 the SAPI 4 voice (eSpeak NG), 54 and
// every other type the SAPI 5 voice (Speech Dispatcher). A server that fails to open leaves
// speech on the built-in path, as it does when a configured voice is not installed; the
// calls below are then never reached for it.
#include "speech/speech_server.h"

#include "platform/events/messages.h"
#include "speech/server_sapi4.h"
#include "speech/server_sapi5.h"
#include "speech/sonora_server.h"
#include "speech/speech_state.h"

namespace Speech {
namespace {

constexpr ServerOps kSonora = {
    kSonoraServer,
    [](int, int rate, int pitch, std::string_view outputFile) { return SonoraServerOpen(rate, pitch, outputFile); },
    SonoraServerSpeak,
    [](bool) { return SonoraServerIsSpeaking(); },
    SonoraServerStop,
    SonoraServerClose,
    true,
};

constexpr ServerOps kSapi4 = {
    4, Sapi4Voice::Open, Sapi4Voice::Speak, Sapi4Voice::IsSpeaking, Sapi4Voice::Stop, Sapi4Voice::Close, false,
};

// Type 54, and every type without a row below.
constexpr ServerOps kSapi5 = {
    54,
    [](int voice, int rate, int, std::string_view outputFile) { return Sapi5Voice::Open(voice, rate, outputFile); },
    Sapi5Voice::Speak,
    Sapi5Voice::IsSpeaking,
    Sapi5Voice::Stop,
    Sapi5Voice::Close,
    false,
};

constexpr const ServerOps* kServers[] = {&kSonora, &kSapi4, &kSapi5};

}  // namespace

const ServerOps& ServerFor(int serverType) {
  for (const ServerOps* server : kServers)
    if (server->type == serverType) return *server;
  return kSapi5;
}

bool OpenSpeechServer(int voice, int rate, int pitch, std::string_view outputFile, int serverType) {
  St().server = &ServerFor(serverType);
  return St().server->open(voice, rate, pitch, outputFile);
}

void ServerSpeak(std::string_view text) {
  if (St().server) St().server->speak(text);
}

bool ServerIsSpeaking(bool strict) {
  if (St().server) return St().server->isSpeaking(strict);
  Messages::PumpMessages();
  return false;
}

void ServerStop() {
  if (St().server) St().server->stop();
}

void CloseSpeechServer() {
  if (St().server) St().server->close();
}

}  // namespace Speech
