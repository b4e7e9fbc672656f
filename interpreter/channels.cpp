// The channel table and the routing of ESCREVE #n and LE #n to the file or connection side.
#include "interpreter/channels.h"

#include "interpreter/file_names.h"
#include "interpreter/network_channels.h"
#include "interpreter/state.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace Channels {

ChannelsState& State() {
  static ChannelsState state;
  return state;
}

Channel* Lookup(char digit) {
  if (digit < '0' || digit > '9') return nullptr;
  return &State().channels[static_cast<std::size_t>(digit - '0')];
}

namespace {

void ProcessingError() { Speech::WriteLineAndSpeak("Erro no processamento de arquivo"); }

// ---- Connection side: the network commands (interpreter/network_channels.h). ----

bool ConnectionWrite(Channel& channel, std::string_view text, bool lineEnd) {
  return NetworkChannels::Write(channel, text, lineEnd);
}

bool ConnectionReadLine(Channel& channel, std::string& line) { return NetworkChannels::ReadLine(channel, line); }

// ---- File side ----

bool FileWrite(Channel& channel, std::string_view text, bool lineEnd) {
  Interp::St().statusCode = TextFiles::Write(channel.file, text, lineEnd);
  return true;
}

bool FileReadLine(Channel& channel, std::string& line) {
  const int result = TextFiles::ReadLine(channel.file, line, Variables::kMaxTextLength);
  if (result == TextFiles::kLineTooLong) {
    Speech::WriteLineAndSpeak(std::string("Linha grande demais no arquivo "_cp) + channel.file.name);
    return false;
  }
  Interp::St().statusCode = result;
  return true;
}

}  // namespace

bool WriteLine(char digit, std::string_view text, bool lineEnd) {
  Channel* channel = Lookup(digit);
  if (!channel || !channel->open) {
    ProcessingError();
    return false;
  }
  return channel->connection ? ConnectionWrite(*channel, text, lineEnd) : FileWrite(*channel, text, lineEnd);
}

bool ReadLine(char digit, std::string& line) {
  Channel* channel = Lookup(digit);
  if (!channel || !channel->open) {
    line.clear();
    ProcessingError();
    return false;
  }
  return channel->connection ? ConnectionReadLine(*channel, line) : FileReadLine(*channel, line);
}

int OpenFile(Channel& channel, std::string_view name, bool append) {
  std::string host;
  if (const int error = FileNames::HostPath(name, host)) return error;
  TextFiles::TextFile file;
  const int error = append ? TextFiles::OpenAppend(file, host) : TextFiles::OpenRead(file, host);
  if (error != 0) return error;
  // The channel is rebound: what it held before is closed first, so that nothing written
  // on it is lost and no descriptor is left behind.
  CloseChannel(channel);
  file.name.assign(name);
  channel.file = std::move(file);
  channel.open = true;
  channel.connection = false;
  return 0;
}

int CloseChannel(Channel& channel) {
  int result = 0;
  if (channel.open && channel.connection) {
    result = NetworkChannels::Close(channel);
  } else if (channel.open) {
    result = TextFiles::Close(channel.file);
  }
  channel.open = false;
  channel.connection = false;
  return result;
}

void ResetChannels() {
  for (Channel& channel : State().channels) {
    CloseChannel(channel);
    TextFiles::Close(channel.file);
  }
}

}  // namespace Channels
