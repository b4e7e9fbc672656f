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
};

// Serves until no lease has been held for idleExitMs (or none came in firstLeaseMs), then
// waits for the requests being answered and returns. Closes the listening socket.
void Serve(const Options& options);

// The process entry: "clipora-servico --fd N --c FOLDER". Returns the exit status.
int ServiceMain(int argc, char** argv);

}  // namespace LocalService
