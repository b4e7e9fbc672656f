// libFuzzer target: arbitrary bytes as what a client sent the local service, read as its
// request head and, when whole, its query as a search; the reading must hold its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/service/http_request.h"
#include "app/service/search_answer.h"
#include "platform/text/cp1252.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

bool HasAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const HttpRequest::Head head = HttpRequest::Parse(bytes);
  // What follows the head never changes its reading, nor does more of an unfinished head
  // make a finished one bad.
  const HttpRequest::Head longer = HttpRequest::Parse(std::string(bytes) + "\r\n\r\nGET /x HTTP/1.1\r\n\r\n");
  switch (head.state) {
    case HttpRequest::State::kIncomplete:
      Check(size < HttpRequest::kMaxHead);
      Check(head.method.empty() && head.path.empty() && head.query.empty());
      break;
    case HttpRequest::State::kTooLarge:
      Check(size >= HttpRequest::kMaxHead);
      Check(longer.state == HttpRequest::State::kTooLarge);
      break;
    case HttpRequest::State::kBad: Check(longer.state == HttpRequest::State::kBad); break;
    case HttpRequest::State::kComplete:
      Check(longer.state == HttpRequest::State::kComplete && longer.method == head.method &&
            longer.path == head.path && longer.query == head.query);
      Check(!head.method.empty());
      Check(!HasAny(head.method, " \r\n") && !HasAny(head.path, " \r\n?") && !HasAny(head.query, " \r\n"));
      Check(head.method.size() + head.path.size() + head.query.size() < HttpRequest::kMaxHead);
      break;
  }
  if (head.state == HttpRequest::State::kComplete) {
    const SearchAnswer::Request request = SearchAnswer::ParseQuery(head.query);
    Check(request.limit >= 1 && request.limit <= SearchAnswer::kMaxLimit);
    Check(Cp1252::IsUtf8(request.text));
    for (const char c : request.text) Check(static_cast<unsigned char>(c) >= ' ' && c != 127);
    Check(request.text.empty() || (request.text.front() != ' ' && request.text.back() != ' '));
  }
  return 0;
}
