// The search answer of the local service: the request's search text and result count, the
// downloader's command line for a YouTube search, and its output turned into the answer
// the application reads (one result a line: title\video id\duration\author, UTF-8), with
// marked lines before the results (they start with "\\", which no result can: its video
// identifier is never empty): "\\lista\TITLE" names the playlist or channel the results
// come from, "\\erro\KIND\TEXT" says why the downloader gave none.
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

// The address whose videos are listed for a search text that names a playlist or a channel:
// a YouTube playlist or channel address as it is, "@name" as that channel's videos; empty for
// any other text.
std::string ListAddress(std::string_view text);

// The downloader's arguments (after its own name) for a search of `limit` results, or for
// the first `limit` videos of a playlist or channel.
std::vector<std::string> DownloaderArguments(const Request& request);

// Why a downloader run gave no results, as the kinds of the marked error line.
enum class Failure { kNone, kMissing, kNetwork, kDownloader, kTimeOut };

struct Outcome {
  bool found = true;     // the downloader file is there
  bool started = false;  // it could be run
  bool timedOut = false;
  int exitStatus = -1;
  std::string errors;    // the end of its standard error
};

// What went wrong in a run, from how it ended and what it wrote on its standard error: a
// downloader missing or that does not run, a name that did not resolve or a connection that
// failed, any other error the downloader reported, the time limit. A run that ended well
// with no results is kNone: there is nothing to find.
Failure Classify(const Outcome& outcome);

// The downloader's last error line as one short sentence: its "ERROR:" and "[site] id:"
// heads taken off, cut at the end of its first sentence and at about 150 characters.
std::string ShortError(std::string_view errors);

// The marked line for a failure ("\\erro\rede\TEXT\n"...), empty for kNone.
std::string ErrorLine(Failure failure, std::string_view errors);

// The answer built from what the downloader printed: every result it could read, in order.
// A title or author holding a line break, "\" or ">" is mended so that the answer stays one
// result a line with four fields: line breaks and other control characters become spaces,
// "\" becomes "/", ">" becomes "›"; characters beyond the Basic Multilingual Plane (emoji)
// become "?"; bytes that are not UTF-8 are read as Windows-1252.
// A line "FONIX-LISTA TITLE" (printed once for a playlist) becomes the "\\lista" line first.
std::string FromDownloaderOutput(std::string_view output);

// The whole answer of a run: its results when it gave any, else the error line of its failure
// (empty: no results and nothing went wrong).
std::string Answer(const Outcome& outcome, std::string_view output);

// One field mended as above, trimmed.
std::string CleanField(std::string_view text);

}  // namespace SearchAnswer
