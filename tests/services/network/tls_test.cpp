// TLS links against a local TLS server whose certificate comes from a throw-away authority:
// refused by default, accepted when the authority is trusted (SSL_CERT_FILE) or when
// VERIFICASSL says no, refused for a name the certificate does not carry; links on several
// sockets at once; a clean close ends the data without a message.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <fstream>

#include "console/console.h"
#include "settings/settings.h"
#include "platform/events/messages.h"
#include "services/line_reader.h"
#include "services/sockets.h"
#include "services/tls.h"
#include "tests/support/local_server.h"

namespace {

class TlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    certs_ = NetTest::TestCertificates();
    ASSERT_FALSE(certs_.dir.empty()) << "the openssl command could not make the certificates";
    config_ = NetTest::TempFolder("tlsconfig");
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    unsetenv("SSL_CERT_FILE");
    unsetenv("FONIX_RESOLVE");
    Settings::ResetSettings();
    Messages::ResetMessages();
    Sockets::ResetSockets();
    Tls::ResetTls();
    Console::ResetConsole();
  }
  void TearDown() override {
    unsetenv("SSL_CERT_FILE");
    unsetenv("FONIX_RESOLVE");
    Tls::ResetTls();
  }
  void Trust() { setenv("SSL_CERT_FILE", certs_.ca.c_str(), 1); }
  std::string Line(LineReader::Reader& reader) {
    std::string line;
    EXPECT_TRUE(LineReader::LineReaderReadLine(reader, 10, line));
    return line;
  }
  NetTest::Certificates certs_;
  std::string config_;
};

TEST_F(TlsTest, UntrustedPeersAreRefusedByDefault) {
  NetTest::LocalServer server({"--mode", "lines", "--cert", certs_.cert, "--key", certs_.key});
  ASSERT_GT(server.port(), 0);
  EXPECT_EQ(Sockets::TcpConnectTls("localhost", server.port()), -1);
  EXPECT_TRUE(Tls::St().lastUntrusted);
  EXPECT_TRUE(Tls::St().links.empty());

  // The authority trusted: the same server is accepted, by name and by address.
  Trust();
  for (const char* host : {"localhost", "127.0.0.1"}) {
    const int fd = Sockets::TcpConnectTls(host, server.port());
    ASSERT_GE(fd, 0) << host;
    EXPECT_FALSE(Tls::St().lastUntrusted);
    EXPECT_TRUE(Tls::TlsActive(fd));
    auto reader = LineReader::LineReaderCreate(fd);
    EXPECT_EQ(Line(*reader), "OLA");
    ASSERT_TRUE(Sockets::SocketSendLine(fd, "ECO seguro"));
    EXPECT_EQ(Line(*reader), "seguro");
    Sockets::TcpClose(fd);
    EXPECT_FALSE(Tls::TlsActive(fd));
  }

  // A name the certificate does not carry is refused even with the authority trusted.
  setenv("FONIX_RESOLVE", ("errado.teste:" + server.portText() + ":127.0.0.1").c_str(), 1);
  EXPECT_EQ(Sockets::TcpConnectTls("errado.teste", server.port()), -1);
  EXPECT_TRUE(Tls::St().lastUntrusted);
}

TEST_F(TlsTest, TheSettingTurnsVerificationOff) {
  NetTest::LocalServer server({"--mode", "lines", "--cert", certs_.cert, "--key", certs_.key});
  ASSERT_GT(server.port(), 0);
  std::system(("mkdir -p '" + config_ + "/Auris'").c_str());
  std::ofstream(config_ + "/Auris/Auris.ini") << "[AURIS]\nVERIFICASSL=Não\n";
  Settings::ResetSettings();
  const int fd = Sockets::TcpConnectTls("localhost", server.port());
  ASSERT_GE(fd, 0);
  auto reader = LineReader::LineReaderCreate(fd);
  EXPECT_EQ(Line(*reader), "OLA");
  Sockets::TcpClose(fd);
}

TEST_F(TlsTest, LinksOnSeveralSocketsAndPlainOnesBesideThem) {
  Trust();
  NetTest::LocalServer secure({"--mode", "lines", "--cert", certs_.cert, "--key", certs_.key});
  NetTest::LocalServer plain({"--mode", "lines"});
  ASSERT_GT(secure.port(), 0);
  ASSERT_GT(plain.port(), 0);
  const int a = Sockets::TcpConnectTls("localhost", secure.port());
  const int p = Sockets::TcpConnect("localhost", plain.port());
  const int b = Sockets::TcpConnectTls("localhost", secure.port());
  ASSERT_GE(a, 0);
  ASSERT_GE(p, 0);
  ASSERT_GE(b, 0);
  auto ra = LineReader::LineReaderCreate(a);
  auto rp = LineReader::LineReaderCreate(p);
  auto rb = LineReader::LineReaderCreate(b);
  for (int round = 0; round < 3; ++round) {
    const std::string n = std::to_string(round);
    Sockets::SocketSendLine(b, "ECO b" + n);
    Sockets::SocketSendLine(p, "ECO p" + n);
    Sockets::SocketSendLine(a, "ECO a" + n);
    if (round == 0) {
      EXPECT_EQ(Line(*ra), "OLA");
      EXPECT_EQ(Line(*rp), "OLA");
      EXPECT_EQ(Line(*rb), "OLA");
    }
    EXPECT_EQ(Line(*rp), "p" + n);
    EXPECT_EQ(Line(*ra), "a" + n);
    EXPECT_EQ(Line(*rb), "b" + n);
  }
  // Closing one link leaves the other working; a new link after all are closed starts a
  // new library context.
  Sockets::TcpClose(a);
  Sockets::SocketSendLine(b, "ECO ainda");
  EXPECT_EQ(Line(*rb), "ainda");
  Sockets::TcpClose(b);
  Sockets::TcpClose(p);
  EXPECT_EQ(Tls::St().context, nullptr);
  const int c = Sockets::TcpConnectTls("localhost", secure.port());
  ASSERT_GE(c, 0);
  auto rc = LineReader::LineReaderCreate(c);
  EXPECT_EQ(Line(*rc), "OLA");

  // A server that closes the link cleanly ends the read without any message.
  Sockets::SocketSendLine(c, "TCHAU");
  EXPECT_EQ(Line(*rc), "ate logo");
  std::string line;
  EXPECT_FALSE(LineReader::LineReaderReadLine(*rc, 10, line));
  EXPECT_EQ(Console::RowText(1), "");
  Sockets::TcpClose(c);
}

TEST_F(TlsTest, ABrokenRecordEndsTheDataWithItsNumber) {
  Trust();
  NetTest::LocalServer server({"--mode", "lines", "--cert", certs_.cert, "--key", certs_.key});
  ASSERT_GT(server.port(), 0);
  const int fd = Sockets::TcpConnectTls("localhost", server.port());
  ASSERT_GE(fd, 0);
  auto reader = LineReader::LineReaderCreate(fd);
  EXPECT_EQ(Line(*reader), "OLA");
  Sockets::SocketSendLine(fd, "LIXO");
  std::string line;
  EXPECT_FALSE(LineReader::LineReaderReadLine(*reader, 10, line));
  EXPECT_EQ(Console::RowText(1), "Erro SSL: 1");  // written, not spoken
  Sockets::TcpClose(fd);
}

TEST_F(TlsTest, AHandshakeThatNeverEndsGivesUp) {
  // A plain line server answers the handshake with "OLA", which is no TLS: refused at once.
  NetTest::LocalServer plain({"--mode", "lines"});
  ASSERT_GT(plain.port(), 0);
  EXPECT_EQ(Sockets::TcpConnectTls("localhost", plain.port()), -1);
  // A server that accepts and says nothing: the handshake waits only up to its limit.
  const int listening = Sockets::TcpListen(0);
  sockaddr_in6 a{};
  socklen_t n = sizeof a;
  getsockname(listening, reinterpret_cast<sockaddr*>(&a), &n);
  Sockets::St().connectLimitMs = 500;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Sockets::TcpConnectTls("127.0.0.1", ntohs(a.sin6_port)), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
  Sockets::TcpClose(listening);
}

}  // namespace
