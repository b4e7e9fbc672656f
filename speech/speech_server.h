// The speech servers: the built-in Sonora engine (type 3), a SAPI 4 voice (4) and a SAPI 5
// voice (54 and any other type), each one table of operations chosen when the voice opens.
#pragma once

#include <string_view>

namespace Speech {

// What the speech manager asks of one server.
struct ServerOps {
  int type;  // the server type of the settings that picks this server
  bool (*open)(int voice, int rate, int pitch, std::string_view outputFile);
  void (*speak)(std::string_view text);
  // Pumps pending messages first.
  bool (*isSpeaking)(bool strict);
  void (*stop)();
  void (*close)();
  bool stopsWhenSilent;  // StopSpeech stops it even when it says it is silent
};

// The table for a server type (the SAPI 5 voice for every type without one of its own).
const ServerOps& ServerFor(int serverType);

// Chooses the server's table and opens it.
bool OpenSpeechServer(int voice, int rate, int pitch, std::string_view outputFile, int serverType);
void ServerSpeak(std::string_view text);
// Pumps pending messages first.
bool ServerIsSpeaking(bool strict);
void ServerStop();
void CloseSpeechServer();

}  // namespace Speech
