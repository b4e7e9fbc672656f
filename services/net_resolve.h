// Name resolution of the network commands: addresses written as numbers, names looked up
// by the system (IPv4 first, IPv6 when a host has no IPv4 address), and the overrides of
// FONIX_RESOLVE that point a host name at a chosen address, as curl's --resolve does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sockets/tcp.h"

namespace NetResolve {

// Longest wait for a name lookup; the console keeps working while it runs.
inline constexpr int kLookupLimitMs = 30000;

struct Address {
  Tcp::Address system;
  const Tcp::Address* get() const { return &system; }
};

// One entry of FONIX_RESOLVE: "host:port:address", the address an IPv4 text or an IPv6
// text with or without brackets.
struct Override {
  std::string host;  // as written; compared without regard to letter case
  uint16_t port = 0;
  Address address;
};

// Parses a FONIX_RESOLVE text (entries separated by commas; blanks around them ignored).
// Malformed entries are skipped; `bad` receives them for a warning.
std::vector<Override> ParseOverrides(std::string_view text, std::vector<std::string>* bad = nullptr);

// An address written as numbers: dotted IPv4 (also the short forms "127.1"), IPv6 with or
// without brackets. False when the text is not one.
bool ParseNumeric(std::string_view text, uint16_t port, Address& out);

// The address to connect to for host and port: an override of FONIX_RESOLVE first, then a
// numeric address, then a lookup by name (waiting at most `limitMs` while messages are
// pumped). False when the host cannot be resolved.
bool ResolveHost(std::string_view host, uint16_t port, Address& out, int limitMs = kLookupLimitMs);

// The address as text: dotted decimal for IPv4 (and for IPv4 reached through an IPv6
// socket), the usual colon form for IPv6.
std::string AddressText(const Tcp::Address* address);

}  // namespace NetResolve
