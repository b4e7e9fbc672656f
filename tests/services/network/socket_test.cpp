// Sockets and the line reader on real loopback connections: line ends, a peer that closes,
// the bound on one line, the time-outs, waits that keep the window's messages flowing,
// connects that give up, addresses, FONIX_RESOLVE and the network time-out setting.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

#include "settings/settings.h"
#include "platform/events/messages.h"
#include "services/line_reader.h"
#include "services/net_io.h"
#include "services/sockets.h"
#include "tests/support/local_server.h"

namespace {

using LineReader::LineReaderReadLine;

// A connected pair on 127.0.0.1: the client from TcpConnect, the server end from TcpAccept.
struct Pair {
  int client = -1;
  int server = -1;
  Pair() {
    const int listening = Sockets::TcpListen(0);
    sockaddr_in6 a{};
    socklen_t n = sizeof a;
    getsockname(listening, reinterpret_cast<sockaddr*>(&a), &n);
    client = Sockets::TcpConnect("127.0.0.1", ntohs(a.sin6_port));
    server = Sockets::TcpAccept(listening);
    Sockets::TcpClose(listening);
  }
  ~Pair() {
    Sockets::TcpClose(client);
    Sockets::TcpClose(server);
  }
  void Send(const std::string& bytes) const { ASSERT_TRUE(Sockets::SocketSend(server, bytes)); }
  void CloseServer() {
    Sockets::TcpClose(server);
    server = -1;
  }
};

// Sends everything from a thread of the test (the runtime's own sends belong to the main
// thread, whose event loop they pump).
void SendAll(int fd, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    pollfd p{fd, POLLOUT, 0};
    poll(&p, 1, 1000);
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) sent += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EAGAIN) return;
  }
}

std::atomic<int> handled{0};
void CountMessage(const Messages::Message&) { ++handled; }

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_ = NetTest::TempFolder("config");
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    unsetenv("FONIX_RESOLVE");
    Settings::ResetSettings();
    Messages::ResetMessages();
    Messages::SetHandler(CountMessage);
    handled = 0;
    Sockets::ResetSockets();
  }
  void TearDown() override { Messages::ResetMessages(); }
  void Ini(const std::string& text) {
    std::system(("mkdir -p '" + config_ + "/Auris'").c_str());
    std::ofstream(config_ + "/Auris/Auris.ini") << text;
    Settings::ResetSettings();
  }
  std::string config_;
};

TEST_F(SocketTest, LinesEndAtLfOrCrLf) {
  Pair p;
  ASSERT_GE(p.client, 0);
  ASSERT_GE(p.server, 0);
  auto reader = LineReader::LineReaderCreate(p.client);
  p.Send("abc\r\nabc\nx\ry\r\n\r\nfim");
  std::string line;
  const std::vector<std::string> want = {"abc", "abc", "x\ry", ""};
  for (const std::string& w : want) {
    ASSERT_TRUE(LineReaderReadLine(*reader, 0, line));
    EXPECT_EQ(line, w);
  }
  // A peer that closes after a line without its end: the line, then nothing.
  p.CloseServer();
  ASSERT_TRUE(LineReaderReadLine(*reader, 0, line));
  EXPECT_EQ(line, "fim");
  EXPECT_FALSE(LineReaderReadLine(*reader, 0, line));
  EXPECT_EQ(line, "");
  uint8_t byte;
  EXPECT_FALSE(LineReader::LineReaderReadByte(*reader, byte));
}

TEST_F(SocketTest, OneLineNeverHoldsMoreThanItsBound) {
  Pair p;
  auto reader = LineReader::LineReaderCreate(p.client);
  const std::size_t total = LineReader::kMaxLine * 2 + LineReader::kMaxLine / 2;
  std::thread sender([&] {
    SendAll(p.server, std::string(total, 'a') + "\nfim\n");
  });
  std::string line;
  std::size_t received = 0;
  std::vector<std::size_t> sizes;
  while (received < total) {
    ASSERT_TRUE(LineReaderReadLine(*reader, 0, line));
    ASSERT_LE(line.size(), LineReader::kMaxLine);
    EXPECT_EQ(line.find_first_not_of('a'), std::string::npos);
    sizes.push_back(line.size());
    received += line.size();
  }
  sender.join();
  EXPECT_EQ(sizes, (std::vector<std::size_t>{LineReader::kMaxLine, LineReader::kMaxLine, LineReader::kMaxLine / 2}));
  ASSERT_TRUE(LineReaderReadLine(*reader, 0, line));
  EXPECT_EQ(line, "fim");
}

TEST_F(SocketTest, GatheredLinesSpendTheirBudget) {
  using LineReader::Gather;
  Pair p;
  auto reader = LineReader::LineReaderCreate(p.client);
  std::string line;
  std::size_t budget = 20;
  // Nothing has come: the wait is given up when asked, and the line goes on afterwards.
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget, [] { return true; }), Gather::GaveUp);
  p.Send("ab");
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget, [] { return true; }), Gather::GaveUp);
  EXPECT_EQ(line, "ab");
  p.Send("c\r\n\nresto");
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget), Gather::Line);
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(budget, 15u);  // the line end counts
  line.clear();
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget), Gather::Line);
  EXPECT_EQ(line, "");
  // What follows the line stays for the next reader of the connection.
  uint8_t byte = 0;
  ASSERT_TRUE(LineReader::LineReaderReadByte(*reader, byte));
  EXPECT_EQ(byte, 'r');
  // A line longer than what is left of the budget stops where the budget does.
  line.clear();
  budget = 6;
  p.Send("uito longa\n");
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget), Gather::TooLong);
  EXPECT_EQ(line, "estoui");
  EXPECT_EQ(budget, 0u);
  line.clear();
  budget = 100;
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget), Gather::Line);
  EXPECT_EQ(line, "to longa");
  // A peer that closes before the line end.
  line.clear();
  p.Send("sem fim");
  p.CloseServer();
  EXPECT_EQ(LineReader::LineReaderGatherLine(*reader, line, budget), Gather::Closed);
}

TEST_F(SocketTest, ALineTimeOutKeepsWhatArrivedAndMessagesFlow) {
  Pair p;
  auto reader = LineReader::LineReaderCreate(p.client);
  Sockets::St().networkTimeoutUs = 0;
  p.Send("par");
  // A message posted from another thread while the reader waits is handled during the wait.
  std::thread poster([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Messages::Post(Messages::Message{});
  });
  const auto start = std::chrono::steady_clock::now();
  std::string line;
  EXPECT_FALSE(LineReaderReadLine(*reader, 1, line));  // 10 rounds of 100 ms
  const auto waited = std::chrono::steady_clock::now() - start;
  poster.join();
  EXPECT_EQ(line, "par");
  EXPECT_EQ(handled.load(), 1);
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::seconds(10));
  // The rest of the line completes it on the next read.
  p.Send("te\n");
  ASSERT_TRUE(LineReaderReadLine(*reader, 1, line));
  EXPECT_EQ(line, "te");
}

TEST_F(SocketTest, AvailabilityAndTheNetworkTimeOutSetting) {
  // Before any connect the readiness check only polls.
  EXPECT_EQ(Sockets::St().networkTimeoutUs, 0);
  Ini("[AURIS]\nTIMEOUT_REDE=5000\n");
  {
    Pair p;
    EXPECT_EQ(Sockets::St().networkTimeoutUs, 5000);
    auto reader = LineReader::LineReaderCreate(p.client);
    EXPECT_FALSE(LineReader::LineReaderAvailable(reader.get()));
    EXPECT_FALSE(LineReader::LineReaderAvailable(nullptr));
    p.Send("x");
    EXPECT_TRUE(LineReader::LineReaderAvailable(reader.get()));
    uint8_t byte = 0;
    EXPECT_TRUE(LineReader::LineReaderReadByte(*reader, byte));
    EXPECT_EQ(byte, 'x');
  }
  Ini("[AURIS]\nTIMEOUT_REDE=rápido\n");
  Pair q;
  EXPECT_EQ(Sockets::St().networkTimeoutUs, 20000);
}

TEST_F(SocketTest, ConnectsThatCannotBeMade) {
  // A port nobody listens on.
  const int listening = Sockets::TcpListen(0);
  sockaddr_in6 a{};
  socklen_t n = sizeof a;
  getsockname(listening, reinterpret_cast<sockaddr*>(&a), &n);
  const uint16_t port = ntohs(a.sin6_port);
  Sockets::TcpClose(listening);
  EXPECT_EQ(Sockets::TcpConnect("127.0.0.1", port), -1);
  // An address that is no address is not looked up.
  EXPECT_EQ(Sockets::TcpConnect("999.1.1.1", 80), -1);
  EXPECT_EQ(Sockets::TcpConnect("", 80), -1);
  // Listening twice on one port fails the second time.
  const int first = Sockets::TcpListen(0);
  getsockname(first, reinterpret_cast<sockaddr*>(&a), &n);
  EXPECT_EQ(Sockets::TcpListen(ntohs(a.sin6_port)), -1);
  Sockets::TcpClose(first);
}

TEST_F(SocketTest, AConnectThatHangsGivesUpAndKeepsMessagesFlowing) {
  // A server whose queue of waiting clients is full drops further attempts, so the next
  // connect waits; it must give up at its limit while messages are handled.
  const int full = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(full, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(full, 0), 0);
  socklen_t n = sizeof a;
  getsockname(full, reinterpret_cast<sockaddr*>(&a), &n);
  const uint16_t port = ntohs(a.sin_port);
  std::vector<int> queued;
  for (int i = 0; i < 4; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    queued.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Sockets::St().connectLimitMs = 700;
  std::thread poster([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Messages::Post(Messages::Message{});
  });
  const auto start = std::chrono::steady_clock::now();
  const int hung = Sockets::TcpConnect("127.0.0.1", port);
  const auto waited = std::chrono::steady_clock::now() - start;
  poster.join();
  EXPECT_EQ(hung, -1);
  EXPECT_GE(waited, std::chrono::milliseconds(600));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_EQ(handled.load(), 1);
  for (int fd : queued) close(fd);
  close(full);
}

TEST_F(SocketTest, AddressesNamesAndOverrides) {
  Pair p;
  std::string text;
  ASSERT_TRUE(Sockets::PeerAddress(p.server, text));
  EXPECT_EQ(text, "127.0.0.1");  // an IPv4 client of the dual-stack server
  ASSERT_TRUE(Sockets::LocalAddress(p.client, text));
  EXPECT_EQ(text, "127.0.0.1");
  EXPECT_FALSE(Sockets::PeerAddress(-1, text));

  const int listening = Sockets::TcpListen(0);
  sockaddr_in6 a{};
  socklen_t n = sizeof a;
  getsockname(listening, reinterpret_cast<sockaddr*>(&a), &n);
  const uint16_t port = ntohs(a.sin6_port);
  // "localhost" is looked up by name; a name with an override goes where it says, IPv6
  // included, and only for its own port.
  int c = Sockets::TcpConnect("localhost", port);
  EXPECT_GE(c, 0);
  Sockets::TcpClose(c);
  Sockets::TcpClose(Sockets::TcpAccept(listening));
  setenv("FONIX_RESOLVE", ("nada.teste:1:127.0.0.1,Servidor.Teste:" + std::to_string(port) + ":[::1]").c_str(), 1);
  c = Sockets::TcpConnect("servidor.teste", port);
  ASSERT_GE(c, 0);
  const int s = Sockets::TcpAccept(listening);
  ASSERT_TRUE(Sockets::PeerAddress(c, text));
  EXPECT_EQ(text, "::1");
  ASSERT_TRUE(Sockets::PeerAddress(s, text));
  EXPECT_EQ(text, "::1");
  Sockets::TcpClose(c);
  Sockets::TcpClose(s);
  EXPECT_EQ(Sockets::TcpConnect("nada.teste", port), -1);  // its override is for port 1
  unsetenv("FONIX_RESOLVE");
  Sockets::TcpClose(listening);
}

TEST_F(SocketTest, LargeSendsReachASlowReaderWhole) {
  Pair p;
  const std::size_t size = 8 << 20;
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 31 + (i >> 9));
  std::string received;
  std::thread reader([&] {
    char buf[4096];
    while (received.size() < size) {
      const ssize_t n = recv(p.server, buf, sizeof buf, 0);
      if (n > 0) received.append(buf, static_cast<std::size_t>(n));
      else if (n == 0) break;
      else std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (received.size() < 65536) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  EXPECT_EQ(NetIo::NetSend(p.client, data.data(), data.size()), static_cast<long>(size));
  reader.join();
  EXPECT_TRUE(received == data);
  // A send to a peer that has gone is an error, not the end of the program.
  p.CloseServer();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  long result = 0;
  for (int i = 0; i < 5 && result >= 0; ++i) result = NetIo::NetSend(p.client, data.data(), 1 << 20);
  EXPECT_EQ(result, -1);
}

}  // namespace
