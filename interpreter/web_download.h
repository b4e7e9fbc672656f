// The HTTP engine of TRAZDAREDE: one URL into one file, following redirects, resuming a
// partial file, streaming audio without a length, fetching length-less pages whole, and
// answering the user's keys while the body arrives.
#pragma once

#include <cstddef>
#include <string>

namespace WebDownload {

// Longest redirect chain followed; the next hop fails the download.
inline constexpr int kMaxRedirects = 20;
// The head of an answer (its status line and header lines, with those of the interim
// answers before it) may hold this many bytes and lines; a larger one ends the download
// as a failed connection. Far above what servers send (proxies commonly refuse heads of
// more than 8 KiB, and requests of more than 100 header lines), yet a server that sends
// headers without end cannot hold the download.
inline constexpr std::size_t kMaxHeadBytes = 65536;
inline constexpr int kMaxHeadLines = 200;
// The blocks of the clicks: while clicks are on, one sounds after every block written.
inline constexpr std::size_t kBlockSize = 4096;

struct Request {
  std::string url;     // "http://…" or "https://…"
  std::string file;    // Windows path of the target file
  bool click = false;  // click after every block
  std::string agent;   // User-Agent
  std::string cookie;  // empty: no Cookie line
};

// Runs the download; true when it succeeded. Failures are told to the user as they happen.
bool Download(const Request& request);

}  // namespace WebDownload
