// The network commands as programs use them, against local servers: a line conversation
// with CONECTA, ESCREVE #n, LE #n and CHECA; the status mode and the messages of CONECTA;
// SERVE with a client; OBSERVA; IP; the TLS mode and ATIVASSL; HTTP; HANDLE; INTERNET.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "console/keyboard.h"
#include "services/tls.h"
#include "tests/support/local_server.h"
#include "tests/support/interp_fixture.h"
#include "platform/files/paths.h"

namespace {

using Interp::Outcome;

bool Has(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

class NetworkCommandsTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    unsetenv("SSL_CERT_FILE");
    unsetenv("FONIX_RESOLVE");
  }
  void TearDown() override {
    unsetenv("SSL_CERT_FILE");
    InterpTest::TearDown();
  }
};

TEST_F(NetworkCommandsTest, ALineConversation) {
  NetTest::LocalServer server({"--mode", "lines"});
  ASSERT_GT(server.port(), 0);
  const std::string port = server.portText();
  auto r = Run({"internet inicia", "conecta #1 \"localhost\" " + port, "le #1 $ola", "checa $s0",
                "escreve #1 \"ECO bom dia\"", "checa $s1", "le #1 $eco", "escreve #1 \"CR\"", "le #1 $cr",
                "escreve #1 \"LF sem cr\"", "le #1 $lf",
                // ESCREVE with "&" sends without a line end; the next line completes it.
                "escreve #1 \"ECO meta\" &", "escreve #1 \"de\"", "le #1 $partes",
                "escreve #1 \"SEMFIM\"", "le #1 $semfim", "checa $s2", "le #1 $nada", "checa $s3",
                "escreve #1 \"ECO depois\"", "fecha #1", "internet termina"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$OLA"), "OLA");
  EXPECT_EQ(Var("$S0"), "0");
  EXPECT_EQ(Var("$S1"), "1");  // a connection says 1 when the line went out
  EXPECT_EQ(Var("$ECO"), "bom dia");
  EXPECT_EQ(Var("$CR"), "a\rb");
  EXPECT_EQ(Var("$LF"), "sem cr");
  EXPECT_EQ(Var("$PARTES"), "metade");
  EXPECT_EQ(Var("$SEMFIM"), "abc");
  EXPECT_EQ(Var("$S2"), "0");
  EXPECT_EQ(Var("$NADA"), "");
  EXPECT_EQ(Var("$S3"), "1");
  // Nothing of the conversation is spoken or written.
  EXPECT_FALSE(Has(Events(), "line: OLA"));
}

TEST_F(NetworkCommandsTest, ConnectFailuresWithAndWithoutStatusMode) {
  NetTest::LocalServer server({"--mode", "lines"});
  ASSERT_GT(server.port(), 0);
  auto r = Run({"conecta #1 \"localhost\" abc &", "checa $porta", "conecta #1 \"999.0.0.1\" 80 &", "checa $host",
                "conecta #1 \"localhost\" " + server.portText() + " &", "checa $ok", "conecta #2 &", "checa $falta"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$PORTA"), "2");
  EXPECT_EQ(Var("$HOST"), "1");
  EXPECT_EQ(Var("$OK"), "0");
  EXPECT_EQ(Var("$FALTA"), "1");
  EXPECT_FALSE(Has(Events(), "line: Erro de conexao"));

  Start("");
  r = Run({"conecta #1 \"localhost\" abc", "escreve \"nunca\""});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 1);
  EXPECT_TRUE(Has(Events(), "line: Erro na porta TCP/IP"));
  Start("");
  r = Run({"conecta #1 \"999.0.0.1\" 80"});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_TRUE(Has(Events(), "line: Erro de conexao"));
  // Without "&" the status code is left alone.
  Start("");
  r = Run({"conecta #1 \"localhost\" " + server.portText(), "checa $s"});
  EXPECT_EQ(Var("$S"), "0");
  Start("");
  r = Run({"escreve #3 \"x\""});  // never opened
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_TRUE(Has(Events(), "line: Erro no processamento de arquivo"));
}

TEST_F(NetworkCommandsTest, ServeWaitsForOneClient) {
  // A free port: taken and given back.
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  getsockname(probe, reinterpret_cast<sockaddr*>(&a), &n);
  close(probe);
  const int port = ntohs(a.sin_port);
  std::string answer;
  std::thread client([&] {
    for (int tries = 0; tries < 200; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        continue;
      }
      send(fd, "oi\r\n", 4, MSG_NOSIGNAL);
      char c;
      while (recv(fd, &c, 1, 0) == 1 && c != '\n') answer += c;
      close(fd);
      return;
    }
  });
  auto r = Run({"serve #2 " + std::to_string(port), "le #2 $pedido", "ip remoto #2 $quem", "ip local #2 $eu",
                "observa #2 $mais", "escreve #2 \"resposta\"", "fecha #2"});
  client.join();
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$PEDIDO"), "oi");
  EXPECT_EQ(Var("$QUEM"), "127.0.0.1");
  EXPECT_EQ(Var("$EU"), "127.0.0.1");
  EXPECT_EQ(Var("$MAIS"), "0");
  EXPECT_EQ(answer, "resposta\r");

  Start("");
  r = Run({"serve #2 porta"});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_TRUE(Has(Events(), "line: Erro na porta TCP/IP"));
}

TEST_F(NetworkCommandsTest, ObserveAndAddresses) {
  NetTest::LocalServer server({"--mode", "lines"});
  ASSERT_GT(server.port(), 0);
  Start("x");
  ASSERT_TRUE(Paths::EnsureDriveC());  // the file opened below lies on the test's own drive
  auto r = Run({"abre #5 \"c:\\arquivo.txt\" &", "observa #5 $arquivo", "observa #6 $fechado",
                "conecta #1 \"127.0.0.1\" " + server.portText(), "observa #1 $ola", "le #1 $linha",
                "escreve #1 \"MUDO\"", "observa #1 $quieto", "escreve #1 \"ECO x\"", "observa #1 $eco",
                "ip local #1 $local", "ip remoto #1 $remoto", "observa teclado $tecla", "le $k &"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$ARQUIVO"), "0");
  EXPECT_EQ(Var("$FECHADO"), "0");
  EXPECT_EQ(Var("$OLA"), "1");
  EXPECT_EQ(Var("$QUIETO"), "0");
  EXPECT_EQ(Var("$ECO"), "1");
  EXPECT_EQ(Var("$LOCAL"), "127.0.0.1");
  EXPECT_EQ(Var("$REMOTO"), "127.0.0.1");
  EXPECT_EQ(Var("$TECLA"), "1");
  EXPECT_EQ(Var("$K"), "x");  // the key stayed in the queue

  // Esc among the waiting keys: taken out, the keys around it stay in their order (an
  // extended key whose scan code is 27 is not an Esc).
  Start("");
  const uint8_t typed[] = {'a', 27, 0, 27, 'b', 27};
  ASSERT_TRUE(Keyboard::QueueBytes(typed, sizeof typed));
  r = Run({"observa esc $esc", "observa esc $denovo", "le mudo $k1 &", "le mudo $k2 &", "le mudo $k3 &"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$ESC"), "1");
  EXPECT_EQ(Var("$DENOVO"), "0");
  EXPECT_EQ(Var("$K1"), "a");
  EXPECT_EQ(Var("$K2"), "#0#27");
  EXPECT_EQ(Var("$K3"), "b");

  for (const char* bad : {"ip remoto #5 $x", "ip #1 $x", "ip local #7 $x", "observa $x", "observa #1 $x y",
                          "observa teclado", "observa esc"}) {
    Start("");
    EXPECT_EQ(Run({bad}).outcome, Outcome::Error) << bad;
  }
}

TEST_F(NetworkCommandsTest, IpGivesIpv6WhenTheHostHasOnlyThat) {
  NetTest::LocalServer server({"--mode", "lines", "--ipv6"});
  ASSERT_GT(server.port(), 0);
  setenv("FONIX_RESOLVE", ("so6.teste:" + server.portText() + ":[::1]").c_str(), 1);
  auto r = Run({"conecta #1 \"so6.teste\" " + server.portText(), "le #1 $ola", "ip remoto #1 $remoto"});
  unsetenv("FONIX_RESOLVE");
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$OLA"), "OLA");
  EXPECT_EQ(Var("$REMOTO"), "::1");
}

TEST_F(NetworkCommandsTest, TlsModeLastsUntilAConnectionIsClosed) {
  const auto& certs = NetTest::TestCertificates();
  ASSERT_FALSE(certs.dir.empty());
  NetTest::LocalServer secure({"--mode", "lines", "--cert", certs.cert, "--key", certs.key});
  NetTest::LocalServer plain({"--mode", "lines"});
  ASSERT_GT(secure.port(), 0);
  ASSERT_GT(plain.port(), 0);
  // Untrusted by default: the connection is refused and the reason told.
  auto r = Run({"conecta ssl #1 \"localhost\" " + secure.portText()});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_TRUE(Has(Events(), "line: Certificado do servidor não confiável: localhost"));
  EXPECT_TRUE(Has(Events(), "line: Erro de conexao"));

  setenv("SSL_CERT_FILE", certs.ca.c_str(), 1);
  Start("");
  r = Run({"conecta SSL #1 \"localhost\" " + secure.portText(), "le #1 $a",
           // Without the prefix, still TLS: the mode stays until a FECHA.
           "conecta #2 \"localhost\" " + secure.portText(), "le #2 $b", "escreve #2 \"ECO dois\"", "le #2 $b2",
           "fecha #1", "conecta #3 \"localhost\" " + plain.portText(), "le #3 $c", "fecha #2", "fecha #3"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$A"), "OLA");
  EXPECT_EQ(Var("$B"), "OLA");
  EXPECT_EQ(Var("$B2"), "dois");
  EXPECT_EQ(Var("$C"), "OLA");
  EXPECT_TRUE(Tls::St().links.empty());

  // ATIVASSL: a plain connect to the TLS server, then TLS to the same target on the channel.
  Start("");
  r = Run({"conecta #1 \"localhost\" " + secure.portText() + " &", "checa $s", "ativassl #1", "le #1 $ola",
           "escreve #1 \"ECO cifrado\"", "le #1 $eco"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$S"), "0");
  EXPECT_EQ(Var("$OLA"), "OLA");
  EXPECT_EQ(Var("$ECO"), "cifrado");
}

TEST_F(NetworkCommandsTest, HttpHandleAndInternet) {
  auto r = Run({"seja $u \"a b&c\"", "http $u", "seja $e \"é/ü?\"", "http $e", "seja $v \"\"", "http $v",
                "handle $h1", "handle $h2", "internet inicia", "internet termina", "internet Inicia"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$U"), "a%20b%26c");
  EXPECT_EQ(Var("$E"), "%E9%2F%FC%3F");
  EXPECT_EQ(Var("$V"), "");
  EXPECT_NE(Var("$H1"), "0");
  EXPECT_EQ(Var("$H1").find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(Var("$H1"), Var("$H2"));
  for (const char* bad : {"http \"literal\"", "internet", "internet comeca", "handle", "handle $h x"}) {
    Start("");
    EXPECT_EQ(Run({bad}).outcome, Outcome::Error) << bad;
  }
}

}  // namespace
