// Test support: the local servers of the network tests (tests/support/http_server.py run
// by Debian's python3, ended by the test) and the throw-away certificate authority.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
