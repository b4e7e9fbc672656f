// The SAPI 5 voice on Linux: a connection to Speech Dispatcher (libspeechd), its voices,
// rate and language, texts said, cancel, and its begin/end/cancel notices posted into the
// event loop as SpeechDone messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Sapi5Speechd {

struct Voice {
  std::string name;
  std::string language;  // "pt-BR", may be empty
  std::string variant;
};

// What a SpeechDone message's value says about the message numbered by its data.
inline constexpr int kBegun = 0;
inline constexpr int kEnded = 1;
inline constexpr int kCancelled = 2;

// Opens the connection under `clientName`, at SPEECHD_ADDRESS or the user's usual place
// (starting Speech Dispatcher there, as its other clients do, only when SPEECHD_ADDRESS does
// not name a place). False when no Speech Dispatcher answers.
bool Connect(const std::string& clientName);
bool Connected();
// The voices of the output module in use (a module with thousands, such as eSpeak NG's,
// takes the server seconds to list).
std::vector<Voice> Voices();
// The name of the output module in use; empty when the server does not say.
std::string OutputModule();
bool SetLanguage(const std::string& language);
bool SetVoice(const std::string& name);
// -100..100, clamped.
bool SetRate(int rate);
// Queues a UTF-8 text; its message number, or -1 when the connection failed.
long Say(std::string_view utf8);
// Cancels what this connection said and is still saying.
bool Cancel();
// False once the server has gone (its end of the connection closed).
bool Alive();
void Disconnect();

}  // namespace Sapi5Speechd
