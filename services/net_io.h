// The one pair through which every byte of every connection passes: TLS when the socket
// carries a link, plain recv/send otherwise. Both wait for the socket while pumping the
// window's messages, so the console stays alive however slow the peer is.
#pragma once

#include <cstddef>
#include <functional>

namespace NetIo {

// NetRecv gave up because its `giveUp` check said so before any byte arrived.
inline constexpr long kGaveUp = -2;

// Up to `size` bytes into `buffer`, waiting until at least one arrives: the count, 0 when
// the peer closed, -1 on an error, kGaveUp (see above).
long NetRecv(int socket, void* buffer, std::size_t size, const std::function<bool()>& giveUp = {});
// Sends all `length` bytes, waiting while the peer's window is full (at most
// Sockets::kSendStallLimitMs without progress): the count sent, -1 when nothing went out.
long NetSend(int socket, const void* bytes, std::size_t length);

}  // namespace NetIo
