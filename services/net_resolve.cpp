// Name resolution: the overrides of FONIX_RESOLVE, numeric addresses, and lookups by name
// run on a helper thread so that a slow name server never freezes the console.
#include "services/net_resolve.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/events/messages.h"
#include "platform/text/text_kit.h"

namespace NetResolve {
namespace {

// The result of one lookup, shared with its thread: the thread may outlive a wait that
// gave up, so it owns its half.
struct Lookup {
  std::string host;
  std::atomic<bool> done{false};
  bool found = false;
  Address address;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup) {
  // IPv4 first, as the commands always had; IPv6 when the host has nothing else.
  lookup->found = Tcp::LookUp(lookup->host, lookup->address.system);
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
  // The old short forms ("127.1", "0x7f.1") are taken, as scripts may write them.
  return Tcp::ParseNumeric(t, port, out.system);
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
  Tcp::SetPort(out.system, port);
  return true;
}

std::string AddressText(const Tcp::Address* address) { return Tcp::AddressText(*address); }

}  // namespace NetResolve
