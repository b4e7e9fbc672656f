// The fonix executable as users run it, against local servers: a line conversation whose
// peer goes away mid-way (the program carries on), and an HTTPS download from a name set
// by FONIX_RESOLVE with the authority trusted through SSL_CERT_FILE.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "tests/support/fonix_run.h"
#include "tests/support/local_server.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(FonixRun, AConversationWhosePeerLeaves) {
  NetTest::LocalServer server({"--mode", "lines"});
  ASSERT_GT(server.port(), 0);
  const std::string dir = NetTest::TempFolder("run1");
  const std::string program =
      "internet inicia\n"
      "conecta #1 \"localhost\" " + server.portText() + "\n"
      "le #1 $ola\n"
      "escreve #1 \"TCHAU\"\n"
      "le #1 $adeus\n"
      "* The peer has gone: writes fail quietly, through the status code.\n"
      "repete i 20\n"
      "escreve #1 \"ECO ninguem\"\n"
      "checa $s\n"
      "fim repete\n"
      "fecha #1\n"
      "internet termina\n"
      "escreve mudo $ola \"/\" $adeus \"/\" $s\n"
      "termina mudo\n";
  EXPECT_EQ(RunFonix(dir, program).status, 0) << ReadAll(dir + "/stderr");
  const std::string transcript = ReadAll(dir + "/transcript");
  EXPECT_NE(transcript.find("line: OLA/ate logo/0\n"), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("end: normal"), std::string::npos);
}

TEST(FonixRun, AnHttpsDownloadThroughAResolvedName) {
  const auto& certs = NetTest::TestCertificates();
  ASSERT_FALSE(certs.dir.empty());
  NetTest::LocalServer server({"--cert", certs.cert, "--key", certs.key});
  ASSERT_GT(server.port(), 0);
  const std::string dir = NetTest::TempFolder("run2");
  const std::string program =
      "trazdarede \"https://servidor.teste:" + server.portText() + "/data/300000\" \"c:\\baixado.bin\" 0 \"netaria\" \"\" $chk\n"
      "escreve mudo \"chk=\" $chk\n"
      "termina mudo\n";
  const std::string resolve = "servidor.teste:" + server.portText() + ":127.0.0.1";
  EXPECT_EQ(RunFonix(dir, program, {{"FONIX_RESOLVE", resolve}, {"SSL_CERT_FILE", certs.ca}}).status, 0)
      << ReadAll(dir + "/stderr");
  EXPECT_NE(ReadAll(dir + "/transcript").find("line: chk=0\n"), std::string::npos) << ReadAll(dir + "/transcript");
  EXPECT_EQ(ReadAll(dir + "/c/baixado.bin").size(), 300000u);
  // Without the authority the same download is refused; the program goes on.
  std::remove((dir + "/c/baixado.bin").c_str());
  EXPECT_EQ(RunFonix(dir, program, {{"FONIX_RESOLVE", resolve}}).status, 0);
  const std::string refused = ReadAll(dir + "/transcript");
  EXPECT_NE(refused.find("line: chk=1\n"), std::string::npos) << refused;
  EXPECT_NE(refused.find("line: Certificado do servidor não confiável: servidor.teste\n"), std::string::npos) << refused;
}

}  // namespace
