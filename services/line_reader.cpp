// The line reader: bytes are received into the buffer in one go and handed out from it;
// lines are gathered byte by byte from the buffer with a bound on their length.
#include "services/line_reader.h"

#include <cstring>

#include "platform/events/messages.h"
#include "services/net_io.h"
#include "services/net_wait.h"
#include "services/sockets.h"
#include "services/tls.h"

namespace LineReader {
namespace {

bool Buffered(const Reader& r) { return r.fillCount > 0 && r.readPosition < static_cast<std::size_t>(r.fillCount); }

// Receives into the buffer once. The fill count becomes the receive's result.
long Fill(Reader& r, const std::function<bool()>& giveUp) {
  r.readPosition = 0;
  r.fillCount = NetIo::NetRecv(r.socket, r.buffer.data(), r.buffer.size(), giveUp);
  return r.fillCount;
}

}  // namespace

std::unique_ptr<Reader> LineReaderCreate(int socket) {
  auto reader = std::make_unique<Reader>();
  reader->socket = socket;
  return reader;
}

void LineReaderFree(std::unique_ptr<Reader>& reader) { reader.reset(); }

bool LineReaderAvailable(Reader* reader) {
  if (!reader) return false;
  return Buffered(*reader) || Sockets::SocketReadable(reader->socket);
}

bool LineReaderReadByte(Reader& reader, uint8_t& byte) {
  if (!Buffered(reader)) {
    const long n = Fill(reader, {});
    if (n <= 0) return false;
  }
  byte = reader.buffer[reader.readPosition++];
  return true;
}

Take LineReaderBorrow(Reader& reader, std::size_t size, const uint8_t*& data, std::size_t& taken,
                      const std::function<bool()>& giveUp) {
  taken = 0;
  data = nullptr;
  if (size == 0) return Take::Bytes;
  if (!Buffered(reader)) {
    const long n = Fill(reader, giveUp);
    if (n == NetIo::kGaveUp) {
      reader.fillCount = 0;
      return Take::GaveUp;
    }
    if (n <= 0) return Take::Closed;
  }
  const std::size_t have = static_cast<std::size_t>(reader.fillCount) - reader.readPosition;
  taken = have < size ? have : size;
  data = reader.buffer.data() + reader.readPosition;
  reader.readPosition += taken;
  return Take::Bytes;
}

Take LineReaderTake(Reader& reader, uint8_t* out, std::size_t size, std::size_t& taken,
                    const std::function<bool()>& giveUp) {
  const uint8_t* data = nullptr;
  const Take result = LineReaderBorrow(reader, size, data, taken, giveUp);
  if (taken > 0) std::memcpy(out, data, taken);
  return result;
}

Gather LineReaderGatherLine(Reader& reader, std::string& line, std::size_t& budget,
                            const std::function<bool()>& giveUp) {
  for (;;) {
    if (budget == 0) return Gather::TooLong;
    if (!Buffered(reader)) {
      const long n = Fill(reader, giveUp);
      if (n == NetIo::kGaveUp) {
        reader.fillCount = 0;
        return Gather::GaveUp;
      }
      if (n <= 0) return Gather::Closed;
    }
    const uint8_t* from = reader.buffer.data() + reader.readPosition;
    std::size_t have = static_cast<std::size_t>(reader.fillCount) - reader.readPosition;
    if (have > budget) have = budget;
    const auto* lf = static_cast<const uint8_t*>(std::memchr(from, '\n', have));
    const std::size_t used = lf ? static_cast<std::size_t>(lf - from) + 1 : have;
    line.append(reinterpret_cast<const char*>(from), lf ? used - 1 : used);
    reader.readPosition += used;
    budget -= used;
    if (lf) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return Gather::Line;
    }
  }
}

bool LineReaderReadLine(Reader& reader, int timeoutSeconds, std::string& line) {
  line.clear();
  // The wait allowed without data over the whole line: 10 × t rounds of one readiness
  // check plus the 100 ms pause between rounds. Data ends a wait at once.
  const int64_t roundMs = Sockets::NetworkTimeoutMs() + 100;
  const int64_t allowedMs = timeoutSeconds > 0 ? int64_t{10} * timeoutSeconds * roundMs : -1;
  int64_t waitedMs = 0;
  for (;;) {
    if (reader.socket >= 0 && !Buffered(reader) && !Tls::TlsPending(reader.socket)) {
      int wait = -1;
      if (allowedMs >= 0) {
        if (waitedMs >= allowedMs) return false;
        wait = static_cast<int>(allowedMs - waitedMs);
      }
      const int64_t start = Messages::NowMs();
      const bool ready = NetWait::WaitFd(reader.socket, Readiness::kReadable, wait);
      waitedMs += Messages::NowMs() - start;
      if (!ready) continue;
    }
    uint8_t byte;
    if (!LineReaderReadByte(reader, byte)) {
      if (line.empty()) return false;
      break;
    }
    if (byte == '\n') break;
    line.push_back(static_cast<char>(byte));
    if (line.size() >= kMaxLine) return true;  // the rest comes as the next line
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace LineReader
