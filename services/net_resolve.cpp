// Name resolution: the overrides of FONIX_RESOLVE, numeric addresses, and lookups by name
// run on a helper thread so that a slow name server never freezes the console.
#include "services/net_resolve.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/events/messages.h"
#include "platform/text/text_kit.h"

namespace NetResolve {
namespace {

void SetPort(Address& a, uint16_t port) {
  if (a.family() == AF_INET) reinterpret_cast<sockaddr_in*>(&a.storage)->sin_port = htons(port);
  else if (a.family() == AF_INET6) reinterpret_cast<sockaddr_in6*>(&a.storage)->sin6_port = htons(port);
}

// The result of one lookup, shared with its thread: the thread may outlive a wait that
// gave up, so it owns its half.
struct Lookup {
  std::string host;
  std::atomic<bool> done{false};
  bool found = false;
  Address address;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  if (getaddrinfo(lookup->host.c_str(), nullptr, &hints, &list) == 0) {
    // IPv4 first, as the commands always had; IPv6 when the host has nothing else.
    const addrinfo* chosen = nullptr;
    for (const addrinfo* ai = list; ai && !chosen; ai = ai->ai_next)
      if (ai->ai_family == AF_INET) chosen = ai;
    for (const addrinfo* ai = list; ai && !chosen; ai = ai->ai_next)
      if (ai->ai_family == AF_INET6) chosen = ai;
    if (chosen && chosen->ai_addrlen <= sizeof(sockaddr_storage)) {
      std::memcpy(&lookup->address.storage, chosen->ai_addr, chosen->ai_addrlen);
      lookup->address.length = chosen->ai_addrlen;
      lookup->found = true;
    }
    freeaddrinfo(list);
  }
  lookup->done.store(true, std::memory_order_release);
  Messages::Message wake;
  wake.kind = Messages::Kind::Wake;
  Messages::Post(wake);
}

}  // namespace

bool ParseNumeric(std::string_view text, uint16_t port, Address& out) {
  std::string t(text);
  if (t.size() >= 2 && t.front() == '[' && t.back() == ']') t = t.substr(1, t.size() - 2);
  if (t.empty() || t.find('\0') != std::string::npos) return false;
  out = Address{};
  in6_addr a6{};
  if (t.find(':') != std::string::npos) {
    if (inet_pton(AF_INET6, t.c_str(), &a6) != 1) return false;
    auto* sa = reinterpret_cast<sockaddr_in6*>(&out.storage);
    sa->sin6_family = AF_INET6;
    sa->sin6_addr = a6;
    out.length = sizeof(sockaddr_in6);
  } else {
    // inet_aton takes the old short forms ("127.1", "0x7f.1") as scripts may write them.
    in_addr a4{};
    if (t.front() < '0' || t.front() > '9' || inet_aton(t.c_str(), &a4) == 0) return false;
    auto* sa = reinterpret_cast<sockaddr_in*>(&out.storage);
    sa->sin_family = AF_INET;
    sa->sin_addr = a4;
    out.length = sizeof(sockaddr_in);
  }
  SetPort(out, port);
  return true;
}

std::vector<Override> ParseOverrides(std::string_view text, std::vector<std::string>* bad) {
  std::vector<Override> out;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view entry = TextKit::TrimSpacesTabs(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (entry.empty()) continue;
    const std::size_t c1 = entry.find(':');
    const std::size_t c2 = c1 == std::string_view::npos ? c1 : entry.find(':', c1 + 1);
    Override o;
    bool ok = c2 != std::string_view::npos && c1 > 0;
    if (ok) {
      o.host.assign(entry.substr(0, c1));
      const std::string_view portText = entry.substr(c1 + 1, c2 - c1 - 1);
      const std::optional<uint64_t> digits = TextKit::ReadDigits(portText, 5);
      const long port = digits ? static_cast<long>(*digits) : 0;
      ok = digits && port > 0 && port <= 65535;
      o.port = static_cast<uint16_t>(port);
      ok = ok && ParseNumeric(TextKit::TrimSpacesTabs(entry.substr(c2 + 1)), o.port, o.address);
    }
    if (ok) out.push_back(std::move(o));
    else if (bad) bad->emplace_back(entry);
  }
  return out;
}

bool ResolveHost(std::string_view host, uint16_t port, Address& out, int limitMs) {
  if (host.empty() || host.find('\0') != std::string_view::npos) return false;
  if (const char* env = std::getenv("FONIX_RESOLVE")) {
    for (const Override& o : ParseOverrides(env)) {
      if (o.port == port && TextKit::EqualsAsciiNoCase(o.host, host)) {
        out = o.address;
        return true;
      }
    }
  }
  if (ParseNumeric(host, port, out)) return true;
  // A text that begins with a digit is an address or nothing: no lookup is made for it.
  if (host.front() >= '0' && host.front() <= '9' && host.find_first_not_of("0123456789.") == std::string_view::npos)
    return false;
  auto lookup = std::make_shared<Lookup>();
  lookup->host.assign(host);
  std::thread(RunLookup, lookup).detach();
  const int64_t deadline = Messages::NowMs() + limitMs;
  while (!lookup->done.load(std::memory_order_acquire)) {
    Messages::PumpMessages();
    if (lookup->done.load(std::memory_order_acquire)) break;
    const int64_t left = deadline - Messages::NowMs();
    if (left <= 0) return false;  // the thread finishes on its own and drops its result
    Messages::WaitMessage(static_cast<int>(left));
  }
  if (!lookup->found) return false;
  out = lookup->address;
  SetPort(out, port);
  return true;
}

std::string AddressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  } else if (address->sa_family == AF_INET6) {
    const in6_addr& a = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&a)) inet_ntop(AF_INET, &a.s6_addr[12], text, sizeof text);
    else inet_ntop(AF_INET6, &a, text, sizeof text);
  }
  return text;
}

}  // namespace NetResolve
