// The local service as the application meets it: wget fetching searches that the fake
// downloader answers, short links asked for line by line and followed, and its lifetime
// bound to the leases of the running instances.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/service/service_server.h"
#include "platform/files/paths.h"
#include "tests/app/clipora/service_fixture.h"

namespace {

using namespace ServiceFixture;

class LocalServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder();
    ASSERT_FALSE(root_.empty());
    driveC_ = root_ + "/c";
    std::filesystem::create_directories(driveC_ + "/clipora-light");
    setenv("FONIX_DRIVE_C", driveC_.c_str(), 1);
    Paths::ResetPaths();
    listenFd_ = Listen(port_);
    options_.listenFd = listenFd_;
    options_.driveC = driveC_;
    options_.idleExitMs = 100;
    options_.firstLeaseMs = 100;
    options_.searchTimeoutMs = 3000;
  }
  void TearDown() override {
    EndLease();
    if (server_.joinable()) server_.join();
    RemoveAll(root_);
    unsetenv("FONIX_DRIVE_C");
    Paths::ResetPaths();
  }
  void StartServer() {
    lease_ = Lease();
    server_ = std::thread([this] { LocalService::Serve(options_); });
  }
  int Lease() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port_));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    const std::string request = "GET /presenca HTTP/1.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    return fd;
  }
  void EndLease() {
    if (lease_ >= 0) close(lease_);
    lease_ = -1;
  }
  // The fake downloader: records its arguments, then answers from the script body.
  void Downloader(const std::string& body) {
    WriteScript(driveC_ + "/clipora-light/youtube-dl.exe",
                "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n" + body);
  }
  std::string Wget(const std::string& target) {
    const std::string out = root_ + "/pag.html";
    std::filesystem::remove(out);
    Shell("wget -q -O " + out + " --no-check-certificate \"http://127.0.0.1:" + std::to_string(port_) + target +
          "\"");
    return ReadFile(out);
  }

  std::string root_, driveC_;
  int listenFd_ = -1, port_ = 0, lease_ = -1;
  LocalService::Options options_;
  std::thread server_;
};

TEST_F(LocalServiceTest, WgetGetsTheDownloadersResultsForTheSearchAndCount) {
  Downloader(
      "printf 'Garota de Ipanema\\\\abcdefghijk\\\\3:25\\\\Tom Jobim\\n'\n"
      "printf 'Dois \\\\ pontos > tr\\303\\252s\\\\ABCDEFGHIJK\\\\AO VIVO\\\\\\n'\n");
  StartServer();
  EXPECT_EQ(Wget("/clipora/search.php?q=tom+jobim&limite=40"),
            "Garota de Ipanema\\abcdefghijk\\3:25\\Tom Jobim\n"
            "Dois / pontos \xE2\x80\xBA tr\xC3\xAAs\\ABCDEFGHIJK\\AO VIVO\\\n");
  const std::string args = ReadFile(driveC_ + "/clipora-light/args");
  EXPECT_NE(args.find("ytsearch40:tom jobim\n"), std::string::npos) << args;
  EXPECT_NE(args.find("--flat-playlist\n"), std::string::npos) << args;
  // A search text in Windows-1252, as the runtime may hand it to wget, is searched as UTF-8.
  Wget("/clipora/search.php?q=caf%E9&limite=20");
  EXPECT_NE(ReadFile(driveC_ + "/clipora-light/args").find("ytsearch20:caf\xC3\xA9\n"), std::string::npos);
}

TEST_F(LocalServiceTest, AFailingMissingOrSlowDownloaderSaysWhyInItsAnswer) {
  StartServer();
  EXPECT_EQ(Wget("/clipora/search.php?q=x&limite=5"), "\\\\erro\\ausente\\\n");  // no downloader at all
  Downloader("echo 'ERROR: [youtube] Unable to download' >&2\nprintf 'garbage\\n\\377\\n'\nexit 1\n");
  EXPECT_EQ(Wget("/clipora/search.php?q=x&limite=5"), "\\\\erro\\baixador\\Unable to download\n");
  // The error output of a child is read beside its output, however much it writes; the
  // downloader's folder is first on its PATH.
  Downloader("head -c 200000 /dev/zero | tr '\\0' e >&2\necho >&2\necho \"ERROR: $PATH\" >&2\nexit 2\n");
  const std::string why = Wget("/clipora/search.php?q=x&limite=5");
  EXPECT_EQ(why.find("\\\\erro\\baixador\\" + driveC_ + "/clipora-light:"), 0u) << why;
  WriteScript(driveC_ + "/clipora-light/youtube-dl.exe", "#!/bin/sh\nsleep 30\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Wget("/clipora/search.php?q=x&limite=5"), "\\\\erro\\tempo\\\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // An empty search never runs the downloader.
  Downloader("printf 'T\\\\abcdefghijk\\\\1:00\\\\A\\n'\n");
  std::filesystem::remove(driveC_ + "/clipora-light/args");
  EXPECT_EQ(Wget("/clipora/search.php?q=+&limite=5"), "");
  EXPECT_FALSE(std::filesystem::exists(driveC_ + "/clipora-light/args"));
}

TEST_F(LocalServiceTest, ShortLinkInTheMarkerLineRedirectsToTheLongAddress) {
  Downloader("printf 'Redirecionado\\\\abcdefghijk\\\\1:00\\\\A\\n'\n");
  StartServer();
  // The request lines as the application sends them, the address percent-encoded.
  const std::string longAddress = "http://127.0.0.1:" + std::to_string(port_) + "/clipora/search.php?q=a&limite=1";
  std::string encoded;
  for (const char c : longAddress) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' || c == '~') encoded += c;
    else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      encoded += hex;
    }
  }
  const std::string answer = Exchange(port_, "GET /create.php?source=index&url=" + encoded +
                                                 "&alias= HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: netaria\r\n"
                                                 "Connection: close\r\n\r\n");
  const std::size_t marker = answer.find("indent\"><b>");
  ASSERT_NE(marker, std::string::npos) << answer;
  const std::size_t start = answer.find("http", marker);
  const std::string shortLink = answer.substr(start, answer.find('<', start) - start);
  EXPECT_EQ(shortLink.rfind("http://127.0.0.1:" + std::to_string(port_) + "/l/", 0), 0u) << shortLink;
  EXPECT_LT(shortLink.size(), longAddress.size());
  // wget follows the short link to the long address.
  EXPECT_EQ(Wget(shortLink.substr(shortLink.find("/l/"))), "Redirecionado\\abcdefghijk\\1:00\\A\n");
  EXPECT_NE(Exchange(port_, "GET /l/424242 HTTP/1.1\r\n\r\n").find("404"), std::string::npos);
  EXPECT_NE(Exchange(port_, "GET /nada HTTP/1.1\r\n\r\n").find("404"), std::string::npos);
  EXPECT_NE(Exchange(port_, "BREW /clipora/search.php HTTP/1.1\r\n\r\n").find("405"), std::string::npos);
  // A request that never ends its head is dropped (or refused) without holding the service.
  EXPECT_FALSE(Exchange(port_, std::string(20000, 'x'), 3000).starts_with("HTTP/1.1 200"));
}

TEST_F(LocalServiceTest, LivesWhileALeaseIsHeldAndEndsAfterTheLast) {
  StartServer();
  const int second = Lease();
  const std::string identity = Exchange(port_, "GET /presenca HTTP/1.1\r\n\r\n", 300);
  EXPECT_NE(identity.find("clipora-servico " + driveC_ + "\n"), std::string::npos) << identity;
  EndLease();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  // The second instance still holds its lease: searches are still answered.
  Downloader("printf 'Ainda\\\\abcdefghijk\\\\1:00\\\\A\\n'\n");
  EXPECT_EQ(Wget("/clipora/search.php?q=a&limite=1"), "Ainda\\abcdefghijk\\1:00\\A\n");
  close(second);
  const auto start = std::chrono::steady_clock::now();
  server_.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(LocalServiceTest, WithoutAnyLeaseItDoesNotStay) {
  server_ = std::thread([this] { LocalService::Serve(options_); });
  const auto start = std::chrono::steady_clock::now();
  server_.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
