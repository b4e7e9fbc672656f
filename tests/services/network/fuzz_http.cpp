// Fuzz target: arbitrary bytes through the HTTP text handling (address splitting and
// redirect targets, status and header lines, the chunk decoder, the line ends of stored
// pages) and through the line reader on a real socket. Pieces of any size must give what
// the whole gives, and the line reader must hand back exactly the lines that were sent.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "services/http_parse.h"
#include "services/line_reader.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Addresses(const std::string& text) {
  Http::Url url;
  if (Http::SplitUrl(text, url)) {
    Check(!url.host.empty() && !url.path.empty() && url.path[0] == '/' && url.port != 0);
    for (char c : url.path) Check(static_cast<uint8_t>(c) > 32 && static_cast<uint8_t>(c) < 127);
    Check(!Http::HostHeader(url).empty());
  }
  const std::string resolved = Http::ResolveLocation("http://base.teste:81/a/b/c?q", text);
  Http::Url again;
  // A target that is a path of the base must stay on the base's host.
  if (!text.empty() && text[0] == '/' && (text.size() < 2 || text[1] != '/') && Http::SplitUrl(resolved, again))
    Check(again.host == "base.teste" && again.port == 81);
}

void HeadLines(const std::string& text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    int code = 0;
    if (Http::ParseStatusLine(line, code)) Check(code >= 0 && code <= 999);
    std::string name, value;
    if (Http::SplitHeader(line, name, value)) {
      if (const auto n = Http::ParseContentLength(value)) Check(*n >= 0);
      int64_t first = 0, total = 0;
      if (Http::ParseContentRange(value, first, total)) Check(first >= -1 && total >= -1);
      Http::IsChunked(value);
    }
    start = end + 1;
  }
}

// Splits `text` into pieces whose sizes come from `sizes`, cycling.
template <typename Feed>
void InPieces(const std::string& text, const std::string& sizes, Feed feed) {
  std::size_t i = 0, k = 0;
  while (i < text.size()) {
    std::size_t n = sizes.empty() ? text.size() : 1 + static_cast<uint8_t>(sizes[k++ % sizes.size()]) % 64;
    if (n > text.size() - i) n = text.size() - i;
    feed(reinterpret_cast<const uint8_t*>(text.data() + i), n);
    i += n;
  }
}

void Chunks(const std::string& text, const std::string& sizes) {
  Http::ChunkDecoder whole;
  std::string wholeOut;
  const std::size_t used = Http::DecodeChunks(whole, reinterpret_cast<const uint8_t*>(text.data()), text.size(), wholeOut);
  Check(used <= text.size());
  Check(used == text.size() || Http::ChunksDone(whole) || Http::ChunksFailed(whole));
  Http::ChunkDecoder pieces;
  std::string piecesOut;
  bool stopped = false;
  InPieces(text, sizes, [&](const uint8_t* p, std::size_t n) {
    if (stopped) return;
    if (Http::DecodeChunks(pieces, p, n, piecesOut) < n) stopped = true;
  });
  Check(piecesOut == wholeOut);
  Check(pieces.phase == whole.phase);
  Check(wholeOut.size() <= text.size());
}

// The page as its lines: each ends in CR LF (one CR before a LF dropped), a last line
// without an end gets one, and one empty line closes the page.
std::string LinesByReference(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', start);
    std::string line = text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
    if (lf == std::string::npos) {
      if (!line.empty()) {
        if (line.back() == '\r') line.pop_back();
        out += line + "\r\n";
      }
      break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += line + "\r\n";
    start = lf + 1;
  }
  return out + "\r\n";
}

void PageLines(const std::string& text, const std::string& sizes) {
  Http::LineEnds state;
  std::string out;
  InPieces(text, sizes, [&](const uint8_t* p, std::size_t n) { Http::ConvertLineEnds(state, p, n, out); });
  Http::FinishLineEnds(state, out);
  Check(out == LinesByReference(text));
}

void Reader(const std::string& text) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return;
  const std::string sent = text.substr(0, 100000);  // fits the socket's buffer
  std::size_t off = 0;
  while (off < sent.size()) {
    const ssize_t n = send(fds[1], sent.data() + off, sent.size() - off, MSG_NOSIGNAL);
    if (n <= 0) break;
    off += static_cast<std::size_t>(n);
  }
  shutdown(fds[1], SHUT_WR);
  auto reader = LineReader::LineReaderCreate(fds[0]);
  std::string expected;  // what LinesByReference gives, without its closing empty line
  const std::string reference = LinesByReference(sent.substr(0, off));
  expected = reference.substr(0, reference.size() - 2);
  std::string got, line;
  while (LineReader::LineReaderReadLine(*reader, 0, line)) got += line + "\r\n";
  Check(line.empty());
  Check(got == expected);
  close(fds[0]);
  close(fds[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  // The first bytes, when there are some, give the sizes of the pieces.
  const std::size_t split = size > 8 ? 8 : 0;
  const std::string sizes = all.substr(0, split);
  const std::string text = all.substr(split);
  Addresses(text);
  HeadLines(text);
  Chunks(text, sizes);
  PageLines(text, sizes);
  Reader(text);
  return 0;
}
