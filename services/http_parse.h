// The text side of HTTP for the web download: splitting an address, resolving a redirect
// target, reading the status line and header lines, de-chunking a chunked body and turning
// a text page's line ends into CR LF. Pure functions over bytes, with no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Http {

struct Url {
  bool secure = false;
  std::string host;      // without the brackets of an IPv6 address
  uint16_t port = 80;
  bool defaultPort = true;
  std::string path;      // from "/" on, with the query, without the fragment; never empty
};

// Splits an "http://" or "https://" address (the scheme in any letter case). The port comes
// from the host part only ("host:8080", "[::1]:8080"); the path keeps its query, loses its
// fragment, and has blanks, controls and bytes above 126 percent-encoded. False for another
// scheme, an empty host, a host with blanks or controls, or a port that is not 1..65535.
bool SplitUrl(std::string_view url, Url& out);
// The text after "Host: ": the host (in brackets for IPv6) and the port when it is not the
// scheme's own.
std::string HostHeader(const Url& url);

// The absolute address a Location value names, seen from the address `base`: an absolute
// address as it is; "//host/…" with the base's scheme; "/path" on the base's host; "?query"
// on the base's path; any other text relative to the base's folder, with "." and ".."
// segments removed.
std::string ResolveLocation(std::string_view base, std::string_view location);

// The status code: the three digits after the line's first space ("HTTP/1.1 200 OK",
// "ICY 200 OK"); false when they are not three digits.
bool ParseStatusLine(std::string_view line, int& code);
// "Name: value" → the name as written and the value without surrounding blanks; false when
// the line has no colon.
bool SplitHeader(std::string_view line, std::string& name, std::string& value);
bool SameName(std::string_view a, std::string_view lowerB);
// A Content-Length value: decimal digits, surrounding blanks allowed, below 2^62.
std::optional<int64_t> ParseContentLength(std::string_view value);
// A Content-Range value "bytes FIRST-LAST/TOTAL" or "bytes */TOTAL": `first` is -1 for
// "*", `total` -1 for "*". False when the value is neither.
bool ParseContentRange(std::string_view value, int64_t& first, int64_t& total);
// A Transfer-Encoding value whose last coding is "chunked".
bool IsChunked(std::string_view value);

// Chunked transfer coding, decoded as bytes arrive in any pieces.
struct ChunkDecoder {
  enum class Phase { Size, Extension, SizeEnd, Data, DataCr, DataLf, TrailerStart, TrailerLine, TrailerEnd, Done, Error };
  Phase phase = Phase::Size;
  uint64_t remaining = 0;  // bytes of the current chunk still to come
  int digits = 0;          // digits of the current size line
};
// Decodes from `in`, appending body bytes to `out`; returns how many input bytes it used
// (fewer than `size` only once the decoder is Done or in Error).
std::size_t DecodeChunks(ChunkDecoder& decoder, const uint8_t* in, std::size_t size, std::string& out);
inline bool ChunksDone(const ChunkDecoder& d) { return d.phase == ChunkDecoder::Phase::Done; }
inline bool ChunksFailed(const ChunkDecoder& d) { return d.phase == ChunkDecoder::Phase::Error; }

// A text page stored line by line: every line ends in CR LF (LF and CR LF become CR LF,
// other CRs stay), a last line without an end gets one, and one empty line closes the file.
struct LineEnds {
  bool pendingCr = false;  // a CR whose next byte decides whether it ends the line
  bool lineOpen = false;   // bytes of an unfinished line were seen
};
void ConvertLineEnds(LineEnds& state, const uint8_t* in, std::size_t size, std::string& out);
void FinishLineEnds(LineEnds& state, std::string& out);

}  // namespace Http
