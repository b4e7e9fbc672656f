// Reads a terminal's input as an event-loop source and hands its keys to the console.
#include "platform/terminal/terminal_keys.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/events/messages.h"

namespace TerminalKeys {
namespace {

// Beyond this many decoded events (a huge paste) the rest stays in the terminal's buffer.
constexpr std::size_t kMaxPending = 4096;

void ReadAvailable(Feed& feed) {
  std::vector<TerminalInput::Event> events;
  while (!feed.ended && feed.pending.size() < kMaxPending) {
    pollfd p{feed.fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) break;
    char buf[4096];
    const ssize_t n = read(feed.fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) break;
    if (n <= 0) {
      feed.ended = true;  // end of file, or the terminal hung up (EIO)
      TerminalInput::Settle(feed.decoder, events);
      break;
    }
    feed.lastInputMs = Messages::NowMs();
    TerminalInput::Feed(feed.decoder, std::string_view(buf, static_cast<std::size_t>(n)), events);
    if (n < static_cast<ssize_t>(sizeof buf)) break;
  }
  feed.pending.insert(feed.pending.end(), events.begin(), events.end());
}

bool MayDeliver(const Feed& feed) {
  if (feed.pending.empty()) return false;
  return !TerminalInput::MakesKey(feed.pending.front()) || !feed.accepts || feed.accepts();
}

int DueInMs(const Feed& feed) {
  if (MayDeliver(feed)) return 0;
  if (TerminalInput::Waiting(feed.decoder))
    return static_cast<int>(std::max<int64_t>(0, feed.lastInputMs + TerminalInput::kEscapeWaitMs - Messages::NowMs()));
  return -1;
}

// Posts events up to and including the next one that makes a key: the console has not
// handled it yet, so the queue's emptiness is only known again at the next pump.
void Deliver(Feed& feed) {
  while (MayDeliver(feed)) {
    const TerminalInput::Event event = feed.pending.front();
    feed.pending.pop_front();
    const bool key = TerminalInput::MakesKey(event);
    if (key) feed.mods = event.mods;
    for (const Messages::Message& m : TerminalInput::ToMessages(event)) Messages::Post(m);
    if (key) return;
  }
}

void Drain(Feed& feed) {
  ReadAvailable(feed);
  if (TerminalInput::Waiting(feed.decoder) && Messages::NowMs() >= feed.lastInputMs + TerminalInput::kEscapeWaitMs) {
    std::vector<TerminalInput::Event> events;
    TerminalInput::Settle(feed.decoder, events);
    feed.pending.insert(feed.pending.end(), events.begin(), events.end());
  }
  Deliver(feed);
}

}  // namespace

int AddSource(Feed& feed) {
  Messages::Source src;
  src.fd = [&feed] { return feed.ended || feed.pending.size() >= kMaxPending ? -1 : feed.fd; };
  src.dueInMs = [&feed] { return DueInMs(feed); };
  src.drain = [&feed] { Drain(feed); };
  return Messages::AddSource(std::move(src));
}

void DiscardKeys(Feed& feed) {
  std::erase_if(feed.pending, [](const TerminalInput::Event& e) { return TerminalInput::MakesKey(e); });
}

bool Exhausted(const Feed& feed) {
  return feed.ended && feed.pending.empty() && !TerminalInput::Waiting(feed.decoder);
}

}  // namespace TerminalKeys
