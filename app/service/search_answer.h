// The search answer of the local service: the request's search text and result count, the
// downloader's command line for a YouTube search, and its output turned into the answer
// the application reads (one result a line: title\video id\duration\author, UTF-8).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SearchAnswer {

inline constexpr int kDefaultLimit = 20;
inline constexpr int kMaxLimit = 1000;

struct Request {
  std::string text;  // UTF-8, trimmed; empty: nothing to search
  int limit = kDefaultLimit;
};

// The query of "search.php?q=TEXT&limite=N". The text is everything between "q=" and the
// last "&limite=", so that an "&" typed in the search stays in it; "+" is a space and
// percent escapes are decoded; text that is not UTF-8 is read as Windows-1252. A count that
// is missing or not a number gives 20; counts are kept within 1..1000.
Request ParseQuery(std::string_view query);

// The downloader's arguments (after its own name) for a search of `limit` results.
std::vector<std::string> DownloaderArguments(const Request& request);

// The answer built from what the downloader printed: every result it could read, in order.
// A title or author holding a line break, "\" or ">" is mended so that the answer stays one
// result a line with four fields: line breaks and other control characters become spaces,
// "\" becomes "/", ">" becomes "›"; characters beyond the Basic Multilingual Plane (emoji)
// become "?"; bytes that are not UTF-8 are read as Windows-1252.
std::string FromDownloaderOutput(std::string_view output);

// One field mended as above, trimmed.
std::string CleanField(std::string_view text);

}  // namespace SearchAnswer
