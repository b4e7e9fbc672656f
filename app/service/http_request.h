// The request head of the local service read as a pure function of the bytes received so
// far: whether it is complete, too long or malformed, and its method, path and query.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace HttpRequest {

// Longest request head taken (request line and headers, up to the empty line).
inline constexpr std::size_t kMaxHead = 16384;

enum class State {
  kIncomplete,  // no empty line yet: read on
  kComplete,    // method, path and query are set
  kTooLarge,    // kMaxHead bytes without the end of the head
  kBad,         // no method and target on the request line
};

struct Head {
  State state = State::kIncomplete;
  std::string method;
  std::string path;   // the target up to "?", still encoded
  std::string query;  // after "?", still encoded
};

// Reads `bytes`, everything received on the connection so far. The head ends at the first
// empty line ("\r\n\r\n" or "\n\n"); what follows it is ignored.
Head Parse(std::string_view bytes);

}  // namespace HttpRequest
