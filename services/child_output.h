// What a child process printed on one stream, as the runtime hands it to a script: Linux
// line ends (a lone LF) read as CR LF, UTF-8 read as Windows-1252, kept in a bounded buffer
// that holds the newest output when the script does not read, and taken in pieces of at
// most 65 535 bytes cut at the first zero byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ChildOutput {

// The newest output kept unread (beyond it the oldest is dropped).
inline constexpr std::size_t kKeptBytes = 1 << 20;
// The most one read of a stream takes.
inline constexpr std::size_t kReadPiece = 65535;

struct Stream {
  std::string kept;          // converted, not yet taken
  std::string heldUtf8;      // the start of a UTF-8 sequence whose rest has not come yet
  bool lastWasCr = false;    // the last byte converted was CR (an LF after it is no lone LF)
  std::size_t dropped = 0;   // bytes dropped from the front because nobody read them
};

// Adds bytes as the child wrote them.
void Append(Stream& stream, std::string_view bytes);
// The stream ended: a held incomplete sequence is kept as it is.
void Finish(Stream& stream);
// Takes up to kReadPiece bytes; the text ends at the first zero byte (the rest of the piece
// is consumed all the same).
std::string Take(Stream& stream);

// The shape of one read of the child: output, CR LF, error when there is output, else
// the error alone; and a final CR LF when anything was read.
std::string Combine(const std::string& output, const std::string& error);

}  // namespace ChildOutput
