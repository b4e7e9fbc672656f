// The local service in a crowd, run as its own process with few descriptors: hundreds of
// connections that never send a request, a hundred and fifty searches at once against a
// slow downloader, requests that come too slowly; and the application's client starting
// the service again when it is gone.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "app/service/service_client.h"
#include "tests/app/clipora/service_fixture.h"

namespace {

using namespace ServiceFixture;

// The service's executable: this build's, or another build's named by CLIPORA_SERVICE_EXE
// (to run the same crowd against it).
std::string ServiceExe() {
  const char* other = std::getenv("CLIPORA_SERVICE_EXE");
  return other != nullptr && *other ? other : CLIPORA_EXE;
}

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A value of /proc/PID/status ("Threads"), or -1.
long StatusValue(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.starts_with(name + ":")) return std::atol(line.c_str() + name.size() + 1);
  return -1;
}

bool Alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// The process of the service serving `driveC`, found by its command line.
pid_t ServicePid(const std::string& driveC) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string words = ReadFile(entry.path().string() + "/cmdline");
    for (char& c : words)
      if (c == '\0') c = ' ';
    if (words.starts_with("clipora-servico ") && words.find(" --c " + driveC + " ") != std::string::npos)
      return std::atoi(name.c_str());
  }
  return -1;
}

class ServiceCrowdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder();
    ASSERT_FALSE(root_.empty());
    driveC_ = root_ + "/c";
    std::filesystem::create_directories(driveC_ + "/clipora-light/run");
    // A slow downloader that notes how many of it run at once.
    WriteScript(driveC_ + "/clipora-light/youtube-dl.exe",
                "#!/bin/sh\nd=\"$(dirname \"$0\")/run\"\n: > \"$d/$$\"\n"
                "ls \"$d\" | grep -c -v '^contagem$' >> \"$d/contagem\"\n"
                "sleep 0.3\nprintf 'Um\\\\abcdefghijk\\\\1:00\\\\A\\nDois\\\\bcdefghijkl\\\\2:00\\\\B\\n"
                "Tr\\303\\252s\\\\cdefghijklm\\\\3:00\\\\C\\n'\nrm -f \"$d/$$\"\n");
  }
  void TearDown() override {
    ServiceClient::Reset();
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (lease_ >= 0) close(lease_);
    RemoveAll(root_);
  }
  // The service as clipora-light starts it, with at most `files` descriptors, and a lease.
  void StartService(rlim_t files) {
    const int listenFd = Listen(port_);
    listen(listenFd, 128);  // the backlog clipora-light gives it
    const std::string exe = ServiceExe();
    pid_ = fork();
    if (pid_ == 0) {
      const rlimit limit{files, files};
      setrlimit(RLIMIT_NOFILE, &limit);
      dup2(listenFd, 3);
      fcntl(3, F_SETFD, 0);
      const int devnull = open("/dev/null", O_RDWR);
      dup2(devnull, 0);
      dup2(devnull, 1);
      execl(exe.c_str(), "clipora-servico", "--fd", "3", "--c", driveC_.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(listenFd);
    lease_ = Connect(port_);
    const std::string request = "GET /presenca HTTP/1.1\r\n\r\n";
    send(lease_, request.data(), request.size(), MSG_NOSIGNAL);
  }
  std::string Search(const std::string& text, int timeoutMs = 20000) {
    return Exchange(port_, "GET /clipora/search.php?q=" + text + "&limite=2 HTTP/1.1\r\nHost: x\r\n\r\n", timeoutMs);
  }
  int MostAtOnce() {
    std::istringstream counts(ReadFile(driveC_ + "/clipora-light/run/contagem"));
    int most = 0;
    for (int n; counts >> n;) most = std::max(most, n);
    return most;
  }

  std::string root_, driveC_;
  pid_t pid_ = -1;
  int port_ = 0, lease_ = -1;
};

TEST_F(ServiceCrowdTest, IdleConnectionsAndManySearchesNeitherEndItNorRunUnboundedDownloaders) {
  StartService(256);
  // 500 connections that say nothing, more than the service has descriptors for.
  std::vector<int> idle;
  for (int i = 0; i < 500; ++i) {
    const int fd = Connect(port_);
    if (fd >= 0) idle.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(Alive(pid_));
  // They cost no thread each, and a search still gets its answer, cut to its count.
  const long threads = StatusValue(pid_, "Threads");
  EXPECT_GT(threads, 0);
  EXPECT_LE(threads, 12);
  const std::string answer = Search("um", 15000);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 200")) << answer;
  EXPECT_NE(answer.find("\r\n\r\nUm\\abcdefghijk\\1:00\\A\nDois\\bcdefghijkl\\2:00\\B\n"), std::string::npos);
  EXPECT_EQ(answer.find("cdefghijklm"), std::string::npos) << answer;
  for (const int fd : idle) close(fd);

  // 150 searches at once: each is answered, with results or as refused for now.
  std::atomic<int> answered{0}, refused{0}, other{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 150; ++i)
    clients.emplace_back([&, i] {
      const std::string a = Search("busca" + std::to_string(i), 60000);
      if (a.starts_with("HTTP/1.1 200") && a.find("Um\\abcdefghijk") != std::string::npos) ++answered;
      else if (a.starts_with("HTTP/1.1 503")) ++refused;
      else ++other;
    });
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(other, 0);
  EXPECT_GE(answered, 4);
  EXPECT_EQ(answered + refused, 150);
  // The downloaders ran a few at a time, never one per request.
  EXPECT_GE(MostAtOnce(), 1);
  EXPECT_LE(MostAtOnce(), 4);
  ASSERT_TRUE(Alive(pid_));
  EXPECT_TRUE(Search("depois").starts_with("HTTP/1.1 200"));
}

TEST_F(ServiceCrowdTest, ARequestSentByteByByteOrEndlesslyIsCutOff) {
  StartService(256);
  // Slow clients from one address: each holds a connection, a byte now and then.
  std::vector<int> slow;
  for (int i = 0; i < 100; ++i) {
    const int fd = Connect(port_);
    if (fd < 0) continue;
    send(fd, "GET /clip", 9, MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  // A head longer than the service reads is refused; the service goes on.
  const std::string endless = "GET /clipora/search.php?q=" + std::string(40000, 'a');
  EXPECT_FALSE(Exchange(port_, endless, 5000).starts_with("HTTP/1.1 200"));
  EXPECT_TRUE(Search("um", 15000).starts_with("HTTP/1.1 200"));
  // The slow ones are let go (refused or closed), not kept for ever.
  int closed = 0;
  for (const int fd : slow) {
    char buffer[256];
    timeval wait{12, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    while (recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    closed += errno != EAGAIN;
    close(fd);
  }
  EXPECT_EQ(closed, static_cast<int>(slow.size()));
  EXPECT_TRUE(Alive(pid_));
}

TEST_F(ServiceCrowdTest, TheClientStartsTheServiceAgainWhenItIsGone) {
  const std::string file = root_ + "/ambiente";
  const std::string address = ServiceClient::StartOrJoin(ServiceExe(), driveC_, file);
  ASSERT_FALSE(address.empty());
  port_ = std::atoi(address.c_str() + address.rfind(':') + 1);
  EXPECT_TRUE(Search("um", 5000).starts_with("HTTP/1.1 200"));
  for (int round = 0; round < 2; ++round) {
    const pid_t service = ServicePid(driveC_);
    ASSERT_GT(service, 0);
    kill(service, SIGKILL);
    // The service is the start's grandchild, not ours: it is gone once nothing answers.
    bool back = false;
    for (int waited = 0; waited < 15000 && !back; waited += 200) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      const pid_t now = ServicePid(driveC_);
      back = now > 0 && now != service && Search("um", 3000).starts_with("HTTP/1.1 200");
    }
    EXPECT_TRUE(back) << "round " << round;
    // On the same port, so that the running program's address still serves.
    EXPECT_EQ(ReadFile(file), "busca=" + address + "\r\n");
  }
}

TEST_F(ServiceCrowdTest, AStartWaitingForAnotherInstancesLockIsToldAndGoesOn) {
  const std::string file = root_ + "/ambiente";
  // Another instance holds the start lock (hung in its start) and lets it go only late.
  const int holder = open((file + ".trava").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  std::thread late([holder] {
    std::this_thread::sleep_for(std::chrono::seconds(8));
    close(holder);
  });
  int told = 0;
  const auto start = std::chrono::steady_clock::now();
  const std::string address = ServiceClient::StartOrJoin(ServiceExe(), driveC_, file, {}, [&] { ++told; });
  const auto waited = std::chrono::steady_clock::now() - start;
  // Told once, and on its way before the other let go.
  EXPECT_EQ(told, 1);
  const int probe = open((file + ".trava").c_str(), O_RDWR | O_CLOEXEC);
  EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0);
  close(probe);
  late.join();
  EXPECT_GE(waited, std::chrono::milliseconds(ServiceClient::kLockNoticeMs));
  ASSERT_FALSE(address.empty());
  port_ = std::atoi(address.c_str() + address.rfind(':') + 1);
  EXPECT_TRUE(Search("um", 5000).starts_with("HTTP/1.1 200"));
}

}  // namespace
