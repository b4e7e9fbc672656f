// The local service's request head: the request line split into method, path and query.
#include "app/service/http_request.h"

#include "app/service/http_text.h"

namespace HttpRequest {

namespace {

// Where the head ends (just past its empty line), or npos.
std::size_t HeadEnd(std::string_view bytes) {
  const std::size_t crlf = bytes.find("\r\n\r\n");
  const std::size_t lf = bytes.find("\n\n");
  if (crlf == std::string_view::npos && lf == std::string_view::npos) return std::string_view::npos;
  if (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf)) return crlf + 4;
  return lf + 2;
}

}  // namespace

Head Parse(std::string_view bytes) {
  Head head;
  const std::size_t end = HeadEnd(bytes.substr(0, kMaxHead));
  if (end == std::string_view::npos) {
    head.state = bytes.size() >= kMaxHead ? State::kTooLarge : State::kIncomplete;
    return head;
  }
  std::string_view line = bytes.substr(0, std::min(bytes.find_first_of("\r\n"), end));
  const std::size_t s1 = line.find(' ');
  if (s1 == 0 || s1 == std::string_view::npos) {
    head.state = State::kBad;
    return head;
  }
  std::string_view target = line.substr(s1 + 1);
  while (target.starts_with(' ')) target.remove_prefix(1);
  target = target.substr(0, target.find(' '));
  if (target.empty()) {
    head.state = State::kBad;
    return head;
  }
  head.method = std::string(line.substr(0, s1));
  HttpText::SplitTarget(target, head.path, head.query);
  head.state = State::kComplete;
  return head;
}

}  // namespace HttpRequest
