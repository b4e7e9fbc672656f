// The ten channels "#0".."#9" that the file and the network commands share: each holds a
// text file or a TCP connection. ESCREVE #n and LE #n go through WriteLine and ReadLine,
// which choose the file side or the connection side by the channel's connection flag.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "interpreter/text_file.h"

namespace Channels {

inline constexpr int kChannelCount = 10;

struct Channel {
  bool open = false;
  bool connection = false;  // false: a text file; true: a TCP connection

  // ---- Connection side (the network commands) ----
  int socket = -1;  // the connection's socket; -1 when there is none
  // The line reader of the connection's socket. Its type belongs to the network commands;
  // it is held type-erased so that this table does not depend on them. Made by CONECTA and
  // SERVE, freed by CloseChannel.
  std::shared_ptr<void> lineReader;

  // ---- File side ----
  TextFiles::TextFile file;
};

struct ChannelsState {
  std::array<Channel, kChannelCount> channels;
};

ChannelsState& State();

// Channel lookup: the record of the digit '0'..'9'; nullptr for any other character.
Channel* Lookup(char digit);

// ESCREVE #n: writes the text on the channel, with a line end when lineEnd. Sets the status
// code (file: 0 or the I/O error; connection: 1 when something was sent, else 0). A closed
// channel or a bad digit writes "Erro no processamento de arquivo" and gives false.
bool WriteLine(char digit, std::string_view text, bool lineEnd);

// LE #n: reads one line from the channel into `line`. Sets the status code (file: 0, 1 at
// the end of the file, or the I/O error; connection: 0 when a line came, else 1). A closed
// channel writes "Erro no processamento de arquivo" and gives false.
bool ReadLine(char digit, std::string& line);

// ABRE: binds the channel to the file (for reading, or for appending, created when
// missing). 0, or the Windows error with the channel left as it was.
int OpenFile(Channel& channel, std::string_view name, bool append);

// FECHA: closes what the channel holds (a file, or a connection with its line reader and
// socket). 0, or the Windows error of the close; the channel is closed either way.
int CloseChannel(Channel& channel);

// Closes every channel, ignoring errors (tests start clean).
void ResetChannels();

}  // namespace Channels
