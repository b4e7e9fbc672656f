// Address splitting and resolution, status and header lines, the chunk decoder and the
// line-end conversion of text pages.
#include "services/http_parse.h"

#include <algorithm>

#include "platform/sockets/tcp.h"
#include "platform/text/text_kit.h"


namespace Http {
namespace {

// Spaces and tabs off the front; spaces, tabs and the carriage return of a header line off the end.
std::string_view TrimBlanks(std::string_view s) {
  return TextKit::TrimRightIf(TextKit::TrimLeftIf(s, TextKit::IsSpaceOrTab),
                              [](char c) { return TextKit::IsSpaceOrTab(c) || c == '\r'; });
}

// The scheme of an absolute address ("http" of "http://…"); empty when there is none.
std::string_view SchemeOf(std::string_view url) {
  const std::size_t mark = url.find("://");
  if (mark == std::string_view::npos || mark == 0) return {};
  for (std::size_t i = 0; i < mark; ++i) {
    const char c = url[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
  }
  return url.substr(0, mark);
}

// "/a/b/../c/./d" → "/a/c/d" (the removal of dot segments of RFC 3986, 5.2.4); the
// result begins with "/".
std::string RemoveDotSegments(std::string_view path) {
  std::string in(path), out;
  auto dropLastSegment = [&out] {
    const std::size_t slash = out.rfind('/');
    out.resize(slash == std::string::npos ? 0 : slash);
  };
  while (!in.empty()) {
    if (in.starts_with("../")) {
      in.erase(0, 3);
    } else if (in.starts_with("./")) {
      in.erase(0, 2);
    } else if (in.starts_with("/./")) {
      in.erase(0, 2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.starts_with("/../")) {
      in.erase(0, 3);
      dropLastSegment();
    } else if (in == "/..") {
      in = "/";
      dropLastSegment();
    } else if (in == "." || in == "..") {
      in.clear();
    } else {
      const std::size_t next = in.find('/', 1);
      const std::size_t n = next == std::string::npos ? in.size() : next;
      out.append(in, 0, n);
      in.erase(0, n);
    }
  }
  if (out.empty() || out.front() != '/') out.insert(out.begin(), '/');
  return out;
}

}  // namespace

bool SameName(std::string_view a, std::string_view lowerB) { return TextKit::EqualsAsciiNoCase(a, lowerB); }

bool SplitUrl(std::string_view url, Url& out) {
  out = Url{};
  url = TrimBlanks(url);
  const std::string_view scheme = SchemeOf(url);
  if (TextKit::EqualsAsciiNoCase(scheme, "https")) out.secure = true;
  else if (!TextKit::EqualsAsciiNoCase(scheme, "http")) return false;
  std::string_view rest = url.substr(scheme.size() + 3);
  const std::size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  std::string_view tail = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority, portText;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(1, close - 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return false;
      portText = after.substr(1);
    }
    if (!Tcp::IsIpv6Text(std::string(host))) return false;
  } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    portText = authority.substr(colon + 1);
  }
  if (host.empty()) return false;
  for (char c : host)
    if (static_cast<uint8_t>(c) <= 32 || c == 127) return false;
  out.host.assign(host);
  out.port = out.secure ? 443 : 80;
  if (!portText.empty()) {
    const std::optional<uint64_t> digits = TextKit::ReadDigits(portText, 5);
    if (!digits) return false;
    const long port = static_cast<long>(*digits);
    if (port < 1 || port > 65535) return false;
    out.defaultPort = port == out.port;
    out.port = static_cast<uint16_t>(port);
  }
  if (const std::size_t hash = tail.find('#'); hash != std::string_view::npos) tail = tail.substr(0, hash);
  if (tail.empty() || tail.front() != '/') out.path.push_back('/');
  for (char c : tail) {
    const auto b = static_cast<uint8_t>(c);
    if (b <= 32 || b >= 127) {
      out.path += '%';
      TextKit::AppendHexByte(out.path, b);
    } else {
      out.path += c;
    }
  }
  return true;
}

std::string HostHeader(const Url& url) {
  const bool v6 = url.host.find(':') != std::string::npos;
  std::string text;
  if (v6) text.push_back('[');
  text.append(url.host);
  if (v6) text.push_back(']');
  if (!url.defaultPort) {
    text.push_back(':');
    text.append(std::to_string(url.port));
  }
  return text;
}

std::string ResolveLocation(std::string_view base, std::string_view location) {
  location = TrimBlanks(location);
  if (!SchemeOf(location).empty()) return std::string(location);
  const std::string_view scheme = SchemeOf(base);
  if (scheme.empty()) return std::string(location);
  if (location.starts_with("//")) return std::string(scheme) + ":" + std::string(location);
  const std::string_view afterScheme = base.substr(scheme.size() + 3);
  const std::size_t pathStart = afterScheme.find_first_of("/?#");
  const std::string origin(base.substr(0, scheme.size() + 3 + (pathStart == std::string_view::npos ? afterScheme.size() : pathStart)));
  std::string_view basePath = pathStart == std::string_view::npos ? std::string_view{} : afterScheme.substr(pathStart);
  basePath = basePath.substr(0, basePath.find_first_of("?#"));
  if (basePath.empty() || basePath.front() != '/') basePath = "/";
  if (location.empty()) return origin + std::string(basePath);
  if (location.front() == '#') return origin + std::string(basePath);
  if (location.front() == '?') return origin + std::string(basePath) + std::string(location);
  std::string_view query;
  std::string_view target = location;
  if (const std::size_t q = location.find_first_of("?#"); q != std::string_view::npos) {
    query = location.substr(q);
    target = location.substr(0, q);
  }
  std::string merged;
  if (!target.empty() && target.front() == '/') {
    merged.assign(target);
  } else {
    merged.assign(basePath.substr(0, basePath.rfind('/') + 1));
    merged.append(target);
  }
  return origin + RemoveDotSegments(merged) + std::string(query);
}

bool ParseStatusLine(std::string_view line, int& code) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || line.size() < space + 4) return false;
  code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    code = code * 10 + (line[i] - '0');
  }
  return line.size() == space + 4 || line[space + 4] == ' ' || line[space + 4] == '\r';
}

bool SplitHeader(std::string_view line, std::string& name, std::string& value) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  name.assign(TrimBlanks(line.substr(0, colon)));
  value.assign(TrimBlanks(line.substr(colon + 1)));
  return true;
}

std::optional<int64_t> ParseContentLength(std::string_view value) {
  value = TrimBlanks(value);
  const std::optional<uint64_t> n = TextKit::ReadDigits(value, 18);
  if (!n || *n >= (uint64_t{1} << 62)) return std::nullopt;
  return static_cast<int64_t>(*n);
}

bool ParseContentRange(std::string_view value, int64_t& first, int64_t& total) {
  value = TrimBlanks(value);
  if (value.size() < 6 || !TextKit::EqualsAsciiNoCase(value.substr(0, 6), "bytes ")) return false;
  value = TrimBlanks(value.substr(6));
  const std::size_t slash = value.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view range = TrimBlanks(value.substr(0, slash));
  const std::string_view whole = TrimBlanks(value.substr(slash + 1));
  if (whole == "*") {
    total = -1;
  } else if (const auto t = ParseContentLength(whole)) {
    total = *t;
  } else {
    return false;
  }
  if (range == "*") {
    first = -1;
    return total >= 0;
  }
  const std::size_t dash = range.find('-');
  if (dash == std::string_view::npos) return false;
  const auto a = ParseContentLength(range.substr(0, dash));
  const auto b = ParseContentLength(range.substr(dash + 1));
  if (!a || !b || *b < *a) return false;
  first = *a;
  return true;
}

bool IsChunked(std::string_view value) {
  const std::size_t comma = value.rfind(',');
  const std::string_view last = TrimBlanks(comma == std::string_view::npos ? value : value.substr(comma + 1));
  return TextKit::EqualsAsciiNoCase(last, "chunked");
}

std::size_t DecodeChunks(ChunkDecoder& d, const uint8_t* in, std::size_t size, std::string& out) {
  using P = ChunkDecoder::Phase;
  std::size_t i = 0;
  while (i < size) {
    const uint8_t c = in[i];
    switch (d.phase) {
      case P::Size: {
        const int h = TextKit::HexDigitValue(static_cast<char>(c));
        if (h >= 0) {
          if (d.remaining >> 59) {  // no chunk is that large
            d.phase = P::Error;
            return i;
          }
          d.remaining = d.remaining * 16 + static_cast<uint64_t>(h);
          ++d.digits;
        } else if (d.digits == 0) {
          d.phase = P::Error;
          return i;
        } else if (c == ';' || c == ' ' || c == '\t') {
          d.phase = P::Extension;
        } else if (c == '\r') {
          d.phase = P::SizeEnd;
        } else if (c == '\n') {
          d.digits = 0;
          d.phase = d.remaining ? P::Data : P::TrailerStart;
        } else {
          d.phase = P::Error;
          return i;
        }
        ++i;
        break;
      }
      case P::Extension:
        if (c == '\n') {
          d.digits = 0;
          d.phase = d.remaining ? P::Data : P::TrailerStart;
        }
        ++i;
        break;
      case P::SizeEnd:
        if (c != '\n') {
          d.phase = P::Error;
          return i;
        }
        d.digits = 0;
        d.phase = d.remaining ? P::Data : P::TrailerStart;
        ++i;
        break;
      case P::Data: {
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(d.remaining, size - i));
        out.append(reinterpret_cast<const char*>(in + i), n);
        i += n;
        d.remaining -= n;
        if (d.remaining == 0) d.phase = P::DataCr;
        break;
      }
      case P::DataCr:
        if (c == '\r') {
          d.phase = P::DataLf;
        } else if (c == '\n') {
          d.phase = P::Size;
        } else {
          d.phase = P::Error;
          return i;
        }
        ++i;
        break;
      case P::DataLf:
        if (c != '\n') {
          d.phase = P::Error;
          return i;
        }
        d.phase = P::Size;
        ++i;
        break;
      case P::TrailerStart:
        if (c == '\n') {
          d.phase = P::Done;
          return i + 1;
        }
        d.phase = c == '\r' ? P::TrailerEnd : P::TrailerLine;
        ++i;
        break;
      case P::TrailerEnd:
        if (c == '\n') {
          d.phase = P::Done;
          return i + 1;
        }
        d.phase = P::TrailerLine;
        ++i;
        break;
      case P::TrailerLine:
        if (c == '\n') d.phase = P::TrailerStart;
        ++i;
        break;
      case P::Done:
      case P::Error:
        return i;
    }
  }
  return i;
}

void ConvertLineEnds(LineEnds& s, const uint8_t* in, std::size_t size, std::string& out) {
  for (std::size_t i = 0; i < size; ++i) {
    const uint8_t c = in[i];
    if (s.pendingCr) {
      s.pendingCr = false;
      if (c == '\n') {
        out += "\r\n";
        s.lineOpen = false;
        continue;
      }
      out += '\r';
    }
    if (c == '\r') {
      s.pendingCr = true;
      s.lineOpen = true;
    } else if (c == '\n') {
      out += "\r\n";
      s.lineOpen = false;
    } else {
      out += static_cast<char>(c);
      s.lineOpen = true;
    }
  }
}

void FinishLineEnds(LineEnds& s, std::string& out) {
  // A last line without its end loses one CR at its end, as every line does, and gets
  // CR LF; then the empty line that closes the page.
  s.pendingCr = false;
  if (s.lineOpen) out += "\r\n";
  s.lineOpen = false;
  out += "\r\n";
}

}  // namespace Http
