// Runs a program to its end and keeps what it writes on its standard output and the end of
// its standard error, for the local service's searches: no shell, no input, a time limit
// and a size limit.
#pragma once

#include <string>
#include <vector>

namespace ChildCapture {

struct Result {
  bool started = false;   // the program could be run
  bool timedOut = false;  // it was ended at the time limit (with all it started)
  int exitStatus = -1;    // its exit status when it ended by itself
  std::string output;     // its standard output, at most maxBytes
  std::string errors;     // the last kMaxErrorBytes of its standard error
};

inline constexpr std::size_t kMaxErrorBytes = 4096;

// Runs `program` with `arguments` in `folder`, which also comes first on its PATH (the
// helpers kept beside the downloader, such as its JavaScript runtime, are found there).
Result Run(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
           int timeoutMs, std::size_t maxBytes);

}  // namespace ChildCapture
