// The local search and short-link service of Clipora-light: a small HTTP server on the
// loopback interface. It answers the application's searches by running the application's
// own downloader, keeps short links for the built-in player, and lives as long as some
// instance of clipora-light holds a lease on it.
#pragma once

#include <string>

namespace LocalService {

// The paths it answers (the search's folder and the lease are ours to choose).
inline constexpr const char* kSearchPath = "/clipora/search.php";
inline constexpr const char* kShortLinkPath = "/create.php";
inline constexpr const char* kLinkPrefix = "/l/";
inline constexpr const char* kLeasePath = "/presenca";
// The first line of the answer to a lease: this text, a space and the drive C folder.
inline constexpr const char* kIdentity = "clipora-servico";

struct Options {
  int listenFd = -1;        // a listening TCP socket on 127.0.0.1
  std::string driveC;       // the Linux folder of drive C whose downloader runs the searches
  int idleExitMs = 2000;    // how long it stays once the last lease has gone
  int firstLeaseMs = 10000; // how long it waits for the first lease
  int searchTimeoutMs = 60000;
  int searchWorkers = 4;    // searches (downloaders) run at once; more wait in a bounded queue
};

// Serves until no lease has been held for idleExitMs (or none came in firstLeaseMs), then
// answers the searches already taken and returns. Closes the listening socket. Searches
// beyond the workers and their queue, and requests beyond the connections it keeps, are
// answered 503; a request head must come whole, within 16 KiB, in 10 s.
void Serve(const Options& options);

// The process entry: "clipora-servico --fd N --c FOLDER". Returns the exit status.
int ServiceMain(int argc, char** argv);

}  // namespace LocalService
