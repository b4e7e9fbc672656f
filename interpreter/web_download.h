// The HTTP engine of TRAZDAREDE: one URL into one file, following redirects, resuming a
// partial file, streaming audio without a length, fetching length-less pages whole, and
// answering the user's keys while the body arrives.
#pragma once

#include <string>

namespace WebDownload {

// Longest redirect chain followed; the next hop fails the download.
inline constexpr int kMaxRedirects = 20;
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
