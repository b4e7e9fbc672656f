// The connection side of the channels: the state the network commands share (the TLS mode
// and the last connection target), making a channel a connection, and the line writes,
// line reads and close of ESCREVE #n, LE #n and FECHA on it.
#pragma once

#include <string>
#include <string_view>

#include "interpreter/channels.h"
#include "services/line_reader.h"

namespace NetworkChannels {

// Wait of LE #n on a connection, in the line reader's units (about 36 s by default).
inline constexpr int kReadTimeout = 30;

struct State {
  bool tlsMode = false;     // set by CONECTA SSL; cleared by closing any connection channel
  std::string lastHost;     // the last connection target, for ATIVASSL
  std::string lastPortText;
  int lastPort = 0;
};
State& St();
void ResetNetworkChannels();

// Makes the channel a connection on `socket` with a new line reader. What the channel
// held before is closed first.
void Attach(Channels::Channel& channel, int socket);
// The channel's line reader (null when it has none).
LineReader::Reader* ReaderOf(const Channels::Channel& channel);

// The text (with CR LF when lineEnd) to the peer; the status code becomes 1 when anything
// was sent and 0 when not.
bool Write(Channels::Channel& channel, std::string_view text, bool lineEnd);
// One line from the peer (waiting kReadTimeout); the status code becomes 0 when a line
// came and 1 when not (the line then holds what had arrived).
bool ReadLine(Channels::Channel& channel, std::string& line);
// Frees the line reader, closes the socket (ending its TLS link) and clears the TLS mode.
// 0, or the Windows error of the close.
int Close(Channels::Channel& channel);

}  // namespace NetworkChannels
