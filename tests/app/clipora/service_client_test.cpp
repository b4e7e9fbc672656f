// Joining or starting the local service as clipora-light does at its start: the service
// runs from the clipora-light executable, detached; a second instance joins it; a stale
// address or another drive's service is not joined; the last lease ends it.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/service/service_client.h"
#include "tests/app/clipora/service_fixture.h"

namespace {

using namespace ServiceFixture;

int PortOf(const std::string& address) { return std::atoi(address.c_str() + address.rfind(':') + 1); }

bool Answers(int port) {
  return Exchange(port, "GET /clipora/search.php?q=&limite=1 HTTP/1.1\r\n\r\n", 2000).starts_with("HTTP/1.1 200");
}

// Waits until nothing listens on the port any more.
bool EndsWithin(int port, int ms) {
  for (int waited = 0; waited < ms; waited += 100) {
    if (Exchange(port, "GET / HTTP/1.1\r\n\r\n", 100).empty() && !Answers(port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

class ServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder();
    ASSERT_FALSE(root_.empty());
    file_ = root_ + "/ambiente";
  }
  void TearDown() override {
    ServiceClient::Reset();
    RemoveAll(root_);
  }
  std::string root_, file_;
};

TEST_F(ServiceClientTest, FirstInstanceStartsItTheSecondJoinsAndTheLastLeaseEndsIt) {
  const std::string address = ServiceClient::StartOrJoin(CLIPORA_EXE, root_, file_, "downloads=z:\\x\r\n");
  ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u) << address;
  const int port = PortOf(address);
  EXPECT_EQ(ReadFile(file_), "busca=" + address + "\r\ndownloads=z:\\x\r\n");
  EXPECT_TRUE(Answers(port));
  // A second instance of the same drive joins it; an instance of another drive does not.
  const int second = ServiceClient::JoinExisting(port, root_);
  EXPECT_GE(second, 0);
  EXPECT_EQ(ServiceClient::JoinExisting(port, root_ + "/outro"), -1);
  // The second start through the address file also joins (same port, no new service).
  EXPECT_EQ(ServiceClient::StartOrJoin(CLIPORA_EXE, root_, file_), address);
  // The instance that started it ends: the other lease keeps it.
  ServiceClient::Reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(2600));
  EXPECT_TRUE(Answers(port));
  close(second);
  EXPECT_TRUE(EndsWithin(port, 8000));
}

TEST_F(ServiceClientTest, AStaleAddressIsNotJoined) {
  // Another program listens on the port the file names, and says nothing.
  int stalePort = 0;
  const int other = Listen(stalePort);
  ServiceFixture::WriteScript(file_, "busca=127.0.0.1:" + std::to_string(stalePort) + "\r\n");
  const auto start = std::chrono::steady_clock::now();
  const std::string address = ServiceClient::StartOrJoin(CLIPORA_EXE, root_, file_);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  ASSERT_FALSE(address.empty());
  EXPECT_NE(PortOf(address), stalePort);
  EXPECT_TRUE(Answers(PortOf(address)));
  close(other);
  // Garbage in the file, or no file, starts a service too.
  ServiceClient::Reset();
  ServiceFixture::WriteScript(file_, "busca=\x01\xFFzz:abc\r\n");
  EXPECT_FALSE(ServiceClient::StartOrJoin(CLIPORA_EXE, root_, file_).empty());
}

TEST_F(ServiceClientTest, AServiceThatCannotRunLeavesNoAddressBehindItsLease) {
  // The lease was queued before the program ran; a program that is not the service never
  // answers it, and searches through the address fail instead of hanging.
  const std::string address = ServiceClient::StartOrJoin(root_ + "/nao-existe", root_, file_);
  ASSERT_FALSE(address.empty());
  EXPECT_FALSE(Answers(PortOf(address)));
}

}  // namespace
