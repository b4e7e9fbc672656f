// Request target, query and encoding helpers of the local service.
#include "app/service/http_text.h"

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

namespace HttpText {

void SplitTarget(std::string_view target, std::string& path, std::string& query) {
  const std::size_t q = target.find('?');
  path = std::string(target.substr(0, q));
  query = q == std::string_view::npos ? std::string() : std::string(target.substr(q + 1));
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int hi = TextKit::HexDigitValue(text[i + 1]), lo = TextKit::HexDigitValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += plusIsSpace && c == '+' ? ' ' : c;
  }
  return out;
}

std::string QueryValue(std::string_view query, std::string_view name) {
  std::size_t start = 0;
  while (start <= query.size()) {
    const std::size_t end = std::min(query.find('&', start), query.size());
    const std::string_view pair = query.substr(start, end - start);
    if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=')
      return std::string(pair.substr(name.size() + 1));
    start = end + 1;
  }
  return {};
}

std::string AsUtf8(std::string_view bytes) {
  if (Cp1252::IsUtf8(bytes)) return std::string(bytes);
  return Cp1252::ToUtf8(bytes);
}

}  // namespace HttpText
