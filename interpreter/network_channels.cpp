// Connection channels: a socket and its line reader in a channel record, and the line
// traffic of the console commands on it.
#include "interpreter/network_channels.h"

#include "interpreter/state.h"
#include "services/sockets.h"

namespace NetworkChannels {

State& St() {
  static State state;
  return state;
}

void ResetNetworkChannels() { St() = State{}; }

void Attach(Channels::Channel& channel, int socket) {
  // Replacing an earlier connection on this channel is no FECHA: the TLS mode stays.
  const bool tlsMode = St().tlsMode;
  Channels::CloseChannel(channel);
  St().tlsMode = tlsMode;
  std::shared_ptr<LineReader::Reader> reader = LineReader::LineReaderCreate(socket);
  channel.lineReader = std::move(reader);
  channel.socket = socket;
  channel.connection = true;
  channel.open = true;
}

LineReader::Reader* ReaderOf(const Channels::Channel& channel) {
  return static_cast<LineReader::Reader*>(channel.lineReader.get());
}

bool Write(Channels::Channel& channel, std::string_view text, bool lineEnd) {
  const bool sent = lineEnd ? Sockets::SocketSendLine(channel.socket, text) : Sockets::SocketSend(channel.socket, text);
  Interp::St().statusCode = sent ? 1 : 0;
  return true;
}

bool ReadLine(Channels::Channel& channel, std::string& line) {
  LineReader::Reader* reader = ReaderOf(channel);
  line.clear();
  const bool got = reader && LineReader::LineReaderReadLine(*reader, kReadTimeout, line);
  Interp::St().statusCode = got ? 0 : 1;
  return true;
}

int Close(Channels::Channel& channel) {
  channel.lineReader.reset();
  Sockets::TcpClose(channel.socket);
  channel.socket = -1;
  St().tlsMode = false;
  return 0;
}

}  // namespace NetworkChannels
