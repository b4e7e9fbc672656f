// The speech servers: the built-in Sonora engine (type 3), a SAPI 4 voice (4) and a SAPI 5
// voice (54 and any other type), reached by one dispatch on the server type.
#pragma once

#include <string_view>

namespace Speech {

bool OpenSpeechServer(int voice, int rate, int pitch, std::string_view outputFile, int serverType);
void ServerSpeak(std::string_view text);
// Pumps pending messages first.
bool ServerIsSpeaking(bool strict);
void ServerStop();
void CloseSpeechServer();

}  // namespace Speech
