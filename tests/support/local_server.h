// Test support: the local servers of the tests (tests/support/http_server.py run by Debian's
// python3, ended by the test), its file server for media addresses, and the throw-away
// certificate authority.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#ifndef FONIX_TEST_SOURCE_DIR
#error "FONIX_TEST_SOURCE_DIR must name the source tree"
#endif

namespace NetTest {

inline std::string SourceFile(const std::string& relative) { return std::string(FONIX_TEST_SOURCE_DIR) + "/" + relative; }

// A folder of this test process's own.
inline std::string TempFolder(const std::string& name) {
  const std::string dir = ::testing::TempDir() + "fonix_net_" + std::to_string(getpid()) + "_" + name;
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  return dir;
}

// One server process: started with the given arguments, its port read from its first
// line; ended (SIGTERM, then reaped) when the object goes.
class LocalServer {
 public:
  explicit LocalServer(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      std::vector<std::string> all = {"/usr/bin/python3", SourceFile("tests/support/http_server.py")};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    // "PORT n" within 20 s, or the server is missing.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&p, 1, 20000) > 0) {
      char buf[64];
      const ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      line.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
  }
  ~LocalServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;
  int port() const { return port_; }
  std::string portText() const { return std::to_string(port_); }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// The files of one folder (that of `file`) at /NAME, anything else 404, with Range requests
// honoured as media servers do; on demand it never answers, or sends `bytesPerSecond`
// (0: as fast as it can) and stops after `stopFraction` of a file and refuses to go on.
// Every request's Range and User-Agent are read back from the server's log.
class HttpFileServer {
 public:
  enum class Behaviour { Normal, NeverAnswer, StopPartWay };

  explicit HttpFileServer(const std::string& file, Behaviour behaviour = Behaviour::Normal,
                          double stopFraction = 0.5, std::size_t bytesPerSecond = 0)
      : log_(TempFolder("ficheiros_" + std::to_string(Count()++)) + "/pedidos.log"),
        server_({"--files", file.substr(0, file.find_last_of('/')), "--log", log_, "--behaviour",
                 behaviour == Behaviour::NeverAnswer   ? "never"
                 : behaviour == Behaviour::StopPartWay ? "stop"
                                                       : "normal",
                 "--stop-fraction", std::to_string(stopFraction), "--rate", std::to_string(bytesPerSecond)}) {}

  int Port() const { return server_.port(); }
  std::string Url(const std::string& name) const { return "http://127.0.0.1:" + server_.portText() + "/" + name; }
  std::vector<std::string> Ranges() const { return Logged("range"); }
  std::vector<std::string> Agents() const { return Logged("user-agent"); }
  int Requests() const { return static_cast<int>(Agents().size()); }

 private:
  static int& Count() {
    static int count = 0;
    return count;
  }
  // One value a request (empty where the header was missing), from the log's heads.
  std::vector<std::string> Logged(const std::string& header) const {
    std::vector<std::string> values;
    std::ifstream in(log_);
    std::string line;
    bool inHead = false;
    while (std::getline(in, line)) {
      if (line.empty()) {
        inHead = false;
        continue;
      }
      if (!inHead) {  // the request line
        inHead = true;
        values.emplace_back();
        continue;
      }
      const std::size_t colon = line.find(':');
      std::string name = line.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (colon != std::string::npos && name == header) {
        std::size_t from = colon + 1;
        while (from < line.size() && line[from] == ' ') ++from;
        values.back() = line.substr(from);
      }
    }
    return values;
  }

  std::string log_;
  LocalServer server_;
};

// The certificate authority and the server certificate of make_ca.sh, made once per
// process in its own folder.
struct Certificates {
  std::string dir, ca, cert, key;
};
inline const Certificates& TestCertificates() {
  static const Certificates c = [] {
    Certificates made;
    made.dir = TempFolder("ca");
    const std::string command = "bash '" + SourceFile("tests/support/make_ca.sh") + "' '" + made.dir + "'";
    if (std::system(command.c_str()) != 0) made.dir.clear();
    made.ca = made.dir + "/ca.pem";
    made.cert = made.dir + "/server.pem";
    made.key = made.dir + "/server.key";
    return made;
  }();
  return c;
}

}  // namespace NetTest
