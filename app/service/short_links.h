// The short-link table of the local service: a long address kept under a small number,
// so the built-in player can be handed a short local address that redirects to it.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace ShortLinks {

inline constexpr std::size_t kCapacity = 1000;  // the oldest links go first

struct ShortLinksState {
  std::deque<std::pair<long, std::string>> links;  // number, address; oldest first
  long next = 1;
};

ShortLinksState& State();
void Reset();

// Keeps the address and returns its number.
long Add(std::string address);

// The address kept under a number ("7"), or empty when there is none.
std::string Find(std::string_view number);

}  // namespace ShortLinks
