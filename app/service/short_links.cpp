// Short links kept in memory for the life of the service.
#include "app/service/short_links.h"

#include <charconv>

namespace ShortLinks {

ShortLinksState& State() {
  static ShortLinksState state;
  return state;
}

void Reset() { State() = ShortLinksState{}; }

long Add(std::string address) {
  ShortLinksState& s = State();
  if (s.links.size() >= kCapacity) s.links.pop_front();
  s.links.emplace_back(s.next, std::move(address));
  return s.next++;
}

std::string Find(std::string_view number) {
  long n = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
  if (ec != std::errc() || end != number.data() + number.size()) return {};
  for (const auto& [id, address] : State().links)
    if (id == n) return address;
  return {};
}

}  // namespace ShortLinks
