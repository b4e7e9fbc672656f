// Reading a search request and turning the downloader's lines into the service's answer.
#include "app/service/search_answer.h"

#include <cctype>

#include "app/service/http_text.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

namespace SearchAnswer {

namespace {

constexpr std::size_t kMaxPendingLines = 4;  // a title may span a few lines, not a page

std::string Trim(std::string_view s) { return std::string(TextKit::TrimSpaceAndControls(s)); }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsVideoId(std::string_view s) {
  if (s.size() != 11) return false;
  for (const char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  return true;
}

// "3:25", "1:02:03", "45", or the text given for a live video.
bool IsDuration(std::string_view s) {
  if (s == "AO VIVO" || s == "NA") return true;
  if (s.empty()) return false;
  for (const char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != ':') return false;
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t sep = line.find('\\', start);
    fields.push_back(line.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start));
    if (sep == std::string_view::npos) return fields;
    start = sep + 1;
  }
}

std::string Join(const std::vector<std::string_view>& fields, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) out += '\\';
    out += fields[i];
  }
  return out;
}

// One result from a line, when the line holds one: the video identifier followed by a
// duration tells where the title ends, however many "\" the title and the author hold.
bool ReadResult(std::string_view line, std::string& result) {
  const std::vector<std::string_view> f = SplitFields(line);
  if (f.size() < 4) return false;
  for (std::size_t i = 1; i + 2 < f.size(); ++i) {
    if (!IsVideoId(f[i]) || !IsDuration(f[i + 1])) continue;
    result = CleanField(Join(f, 0, i)) + '\\' + std::string(f[i]) + '\\' + CleanField(f[i + 1]) + '\\' +
             CleanField(Join(f, i + 2, f.size())) + '\n';
    return true;
  }
  return false;
}

}  // namespace

Request ParseQuery(std::string_view query) {
  Request request;
  std::string text, limit;
  if (query.starts_with("q=")) {
    const std::size_t at = query.rfind("&limite=");
    if (at != std::string_view::npos && at >= 2) {
      text = query.substr(2, at - 2);
      limit = query.substr(at + 8);
      if (const std::size_t amp = limit.find('&'); amp != std::string::npos) limit.resize(amp);
    } else {
      text = query.substr(2);
    }
  } else {
    text = HttpText::QueryValue(query, "q");
    limit = HttpText::QueryValue(query, "limite");
  }
  request.text = HttpText::AsUtf8(HttpText::PercentDecode(text, true));
  for (char& c : request.text)
    if (static_cast<unsigned char>(c) < ' ' || c == 127) c = ' ';
  request.text = Trim(request.text);
  bool digits = !limit.empty() && limit.size() <= 9;
  for (const char c : limit) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits) request.limit = std::stoi(limit);
  if (request.limit < 1) request.limit = kDefaultLimit;
  if (request.limit > kMaxLimit) request.limit = kMaxLimit;
  return request;
}

std::string ListAddress(std::string_view text) {
  if (text.size() > 1 && text.front() == '@') {
    for (const char c : text.substr(1))
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') return {};
    return "https://www.youtube.com/" + std::string(text) + "/videos";
  }
  std::string_view rest = text;
  if (rest.starts_with("https://")) rest.remove_prefix(8);
  else if (rest.starts_with("http://")) rest.remove_prefix(7);
  else return {};
  bool host = false;
  for (const std::string_view h : {"www.youtube.com/", "youtube.com/", "m.youtube.com/", "music.youtube.com/"})
    if (rest.starts_with(h)) {
      rest.remove_prefix(h.size());
      host = true;
      break;
    }
  if (!host) return {};
  for (const char c : text)
    if (static_cast<unsigned char>(c) <= ' ') return {};
  const bool list = rest.starts_with("playlist?") && rest.find("list=") != std::string_view::npos;
  const bool channel = rest.starts_with("@") || rest.starts_with("channel/") || rest.starts_with("c/") ||
                       rest.starts_with("user/");
  return list || channel ? std::string(text) : std::string();
}

std::vector<std::string> DownloaderArguments(const Request& request) {
  const std::string list = ListAddress(request.text);
  if (!list.empty())
    return {"--ignore-config",
            "--no-warnings",
            "--flat-playlist",
            "--playlist-end",
            std::to_string(request.limit),
            "--print",
            "%(title)s\\%(id)s\\%(duration_string|AO VIVO)s\\%(channel,uploader|)s",
            "--print",
            "playlist:FONIX-LISTA %(title)s",
            "--",
            list};
  return {"--ignore-config",
          "--no-warnings",
          "--flat-playlist",
          "--print",
          "%(title)s\\%(id)s\\%(duration_string|AO VIVO)s\\%(channel,uploader|)s",
          "--",
          "ytsearch" + std::to_string(request.limit) + ":" + request.text};
}

namespace {

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The last line of `errors` that is not empty, and the last one that starts with "ERROR:".
void LastLines(std::string_view errors, std::string& lastLine, std::string& lastError) {
  std::size_t start = 0;
  while (start < errors.size()) {
    std::size_t end = errors.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = errors.size();
    const std::string line = Trim(errors.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    lastLine = line;
    if (line.starts_with("ERROR:")) lastError = line;
  }
}

}  // namespace

Failure Classify(const Outcome& outcome) {
  if (!outcome.found || !outcome.started) return Failure::kMissing;
  if (outcome.timedOut) return Failure::kTimeOut;
  // The launcher says 126 and 127 when the file cannot be run at all.
  if (outcome.exitStatus == 126 || outcome.exitStatus == 127) return Failure::kMissing;
  const std::string_view e = outcome.errors;
  for (const std::string_view sign :
       {"name resolution", "Name or service not known", "No address associated", "getaddrinfo", "Failed to resolve",
        "nodename nor servname", "Connection refused", "Network is unreachable", "No route to host",
        "Unable to connect", "Connection reset", "Connection timed out", "Failed to establish a new connection"})
    if (Contains(e, sign)) return Failure::kNetwork;
  if (outcome.exitStatus == 0) return Failure::kNone;
  return Failure::kDownloader;
}

std::string ShortError(std::string_view errors) {
  std::string lastLine, lastError;
  LastLines(errors, lastLine, lastError);
  std::string text = lastError.empty() ? lastLine : lastError;
  if (text.starts_with("ERROR:")) text = Trim(std::string_view(text).substr(6));
  // "[youtube] abc: ..." and "[youtube:tab] ...": the site and the item go.
  while (text.starts_with("[")) {
    const std::size_t close = text.find(']');
    if (close == std::string::npos) break;
    text = Trim(std::string_view(text).substr(close + 1));
    const std::size_t colon = text.find(": ");
    const std::size_t space = text.find(' ');
    if (colon != std::string::npos && colon < space) text = Trim(std::string_view(text).substr(colon + 1));
  }
  // The first sentence; an address's dots do not end it.
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if ((text[i] == '.' || text[i] == ';') && text[i + 1] == ' ') {
      text.resize(i);
      break;
    }
  constexpr std::size_t kMax = 150;
  if (text.size() > kMax) {
    std::size_t cut = text.rfind(' ', kMax);
    if (cut == std::string::npos || cut < kMax / 2) cut = kMax;
    // never inside a UTF-8 sequence
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  while (!text.empty() && (text.back() == '.' || text.back() == ':' || text.back() == ' ')) text.pop_back();
  return CleanField(text);
}

std::string ErrorLine(Failure failure, std::string_view errors) {
  const char* kind = nullptr;
  switch (failure) {
    case Failure::kNone: return {};
    case Failure::kMissing: kind = "ausente"; break;
    case Failure::kNetwork: kind = "rede"; break;
    case Failure::kDownloader: kind = "baixador"; break;
    case Failure::kTimeOut: kind = "tempo"; break;
  }
  return std::string("\\\\erro\\") + kind + "\\" + ShortError(errors) + "\n";
}

std::string CleanField(std::string_view text) {
  const std::string utf8 = HttpText::AsUtf8(text);
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    std::size_t len = Cp1252::DecodeUtf8(utf8, i, cp);
    if (len == 0) {  // cannot happen after AsUtf8; kept so that bad input never loops
      out += '?';
      ++i;
      continue;
    }
    i += len;
    if (cp < 0x20 || cp == 0x7F) out += ' ';
    else if (cp == '\\') out += '/';
    else if (cp == '>') AppendUtf8(out, 0x203A);
    else if (cp > 0xFFFF) out += '?';
    else AppendUtf8(out, cp);
  }
  return Trim(out);
}

std::string FromDownloaderOutput(std::string_view output) {
  std::string answer, pending, result, listLine;
  std::size_t pendingLines = 0;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string_view::npos) end = output.size();
    std::string_view line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("FONIX-LISTA ")) {
      listLine = "\\\\lista\\" + CleanField(line.substr(12)) + "\n";
      continue;
    }
    std::string candidate = pending.empty() ? std::string(line) : pending + " " + std::string(line);
    if (ReadResult(candidate, result)) {
      answer += result;
      pending.clear();
      pendingLines = 0;
      continue;
    }
    // A line break inside a title leaves a piece without the later fields: keep it for
    // the next line. Anything else that cannot be read is left out.
    const bool piece = SplitFields(candidate).size() < 4;
    if (piece && ++pendingLines <= kMaxPendingLines) {
      pending = std::move(candidate);
    } else {
      pending.clear();
      pendingLines = 0;
    }
  }
  return listLine + answer;
}

std::string Answer(const Outcome& outcome, std::string_view output) {
  const std::string answer = FromDownloaderOutput(output);
  // Results count even when the run then failed; a playlist's name alone is none.
  for (std::size_t at = 0; at < answer.size();) {
    if (answer.compare(at, 2, "\\\\") != 0) return answer;
    const std::size_t end = answer.find('\n', at);
    at = end == std::string::npos ? answer.size() : end + 1;
  }
  return answer + ErrorLine(Classify(outcome), outcome.errors);
}

}  // namespace SearchAnswer
