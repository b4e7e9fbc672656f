// The line reader of a connection: a receive buffer that hands out bytes, blocks of bytes
// and lines ended by LF or CR LF, with the waits of the network commands. One line never
// holds more than kMaxLine bytes, so a peer that never ends its line cannot exhaust memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace LineReader {

inline constexpr std::size_t kBufferSize = 65536;
// A longer line is handed out in pieces of this size; the rest follows as the next line.
inline constexpr std::size_t kMaxLine = std::size_t{1} << 20;

struct Reader {
  int socket = -1;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kBufferSize);
  std::size_t readPosition = 0;
  long fillCount = 0;  // valid bytes; 0 or less after a receive that gave nothing
};

std::unique_ptr<Reader> LineReaderCreate(int socket);
void LineReaderFree(std::unique_ptr<Reader>& reader);

// A byte can be had without a long wait: one is buffered, or the socket is readable within
// the network time-out (Sockets::SocketReadable).
bool LineReaderAvailable(Reader* reader);
// The next byte, waiting for it as long as it takes; false when the connection gave
// nothing (closed or failed).
bool LineReaderReadByte(Reader& reader, uint8_t& byte);

enum class Take { Bytes, Closed, GaveUp };
// Up to `size` bytes (at least one unless the connection ended) straight from the reader's
// buffer: `data` stays valid until the next call on the reader. Waits as LineReaderTake.
Take LineReaderBorrow(Reader& reader, std::size_t size, const uint8_t*& data, std::size_t& taken,
                      const std::function<bool()>& giveUp = {});
// Up to `size` bytes into `out` (at least one unless the connection ended), waiting while
// messages are pumped; `giveUp` may end the wait early. `taken` is the count.
Take LineReaderTake(Reader& reader, uint8_t* out, std::size_t size, std::size_t& taken,
                    const std::function<bool()>& giveUp = {});

enum class Gather { Line, Closed, GaveUp, TooLong };
// Appends the bytes of the current line to `line` (which keeps what earlier calls gathered
// of it) up to its LF, taking every byte it uses, the LF too, from `budget`. Line: the line
// ended (its LF, and one CR before it, are not kept); Closed: the connection ended first;
// GaveUp: `giveUp` ended the wait for bytes (call again to go on); TooLong: the budget ran
// out before the LF. Waits as LineReaderTake.
Gather LineReaderGatherLine(Reader& reader, std::string& line, std::size_t& budget,
                            const std::function<bool()>& giveUp = {});

// The next line without its line end (LF, or CR LF: one CR before the LF is dropped; other
// CRs stay). `timeoutSeconds` 0 waits until a line ends or the peer closes; otherwise the
// wait without data is bounded by 10 × timeoutSeconds rounds of (network time-out + 100 ms).
// False on a time-out (`line` keeps what arrived) or when the peer closed before any byte
// of the line. A line cut at kMaxLine is delivered as it is.
bool LineReaderReadLine(Reader& reader, int timeoutSeconds, std::string& line);

}  // namespace LineReader
