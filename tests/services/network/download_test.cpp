// TRAZDAREDE against a local HTTP/HTTPS server: the request it sends, whole files, resume,
// redirects, error answers, pages without length (the whole-page fetch), audio streams,
// chunked bodies, the keys during a download, the certificate check, and hostile answers
// (heads without end, broken or cut bodies, whole answers that bring nothing).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files/paths.h"
#include "tests/support/local_server.h"
#include "tests/support/interp_fixture.h"

namespace {

using Interp::Outcome;

// The bytes the server's files are made of (see http_server.py).
std::string Pattern(std::size_t start, std::size_t count) {
  std::string out(count, '\0');
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(((start + i) * 7 + ((start + i) >> 8)) & 255);
  return out;
}

int Count(const std::vector<std::string>& events, const std::string& prefix) {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

bool Has(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

class DownloadTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    unsetenv("SSL_CERT_FILE");
    unsetenv("FONIX_RESOLVE");
    log_ = NetTest::TempFolder("httplog") + "/requests.log";
    server_ = std::make_unique<NetTest::LocalServer>(std::vector<std::string>{"--log", log_});
    ASSERT_GT(server_->port(), 0);
    std::system(("mkdir -p '" + Paths::ToHost("c:\\") + "/dl'").c_str());
  }
  void TearDown() override {
    server_.reset();
    unsetenv("SSL_CERT_FILE");
    unsetenv("FONIX_RESOLVE");
    InterpTest::TearDown();
  }

  std::string Url(const std::string& path) const { return "http://localhost:" + server_->portText() + path; }
  // Runs one TRAZDAREDE of the URL into c:\dl\<name>; the outcome and $CHK.
  Interp::RunResult Get(const std::string& url, const std::string& name, const std::string& cookie = "",
                        const std::string& click = "0") {
    std::remove(log_.c_str());
    std::remove((log_ + ".fim").c_str());
    return Run({"trazdarede \"" + url + "\" \"c:\\dl\\" + name + "\" " + click + " \"netaria\" \"" + cookie + "\" $chk"});
  }
  std::string File(const std::string& name) {
    std::ifstream in(Paths::ToHost("c:\\dl\\" + name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(Paths::ToHost("c:\\dl\\" + name), std::ios::binary) << bytes;
  }
  bool Exists(const std::string& name) {
    struct stat st {};
    return stat(Paths::ToHost("c:\\dl\\" + name).c_str(), &st) == 0;
  }
  // The requests the server received since the last Get: request line and header lines.
  std::vector<std::vector<std::string>> Requests() {
    std::vector<std::vector<std::string>> out(1);
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
      if (line.empty()) out.emplace_back();
      else out.back().push_back(line);
    }
    if (out.back().empty()) out.pop_back();
    return out;
  }

  // How the server's hostile answers since the last Get ended ("ROUTE cliente": the
  // download went away first; "ROUTE servidor"), waited for up to 10 s until there are
  // `count` of them.
  std::vector<std::string> Endings(std::size_t count = 1) {
    std::vector<std::string> out;
    for (int i = 0; i < 100 && out.size() < count; ++i) {
      out.clear();
      std::ifstream in(log_ + ".fim");
      for (std::string line; std::getline(in, line);) out.push_back(line);
      if (out.size() < count) usleep(100000);
    }
    return out;
  }
  // The hidden names in c:\dl: temporary files left behind.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(Paths::ToHost("c:\\dl")))
      if (entry.path().filename().string().starts_with(".")) out.push_back(entry.path().filename().string());
    return out;
  }

  std::string log_;
  std::unique_ptr<NetTest::LocalServer> server_;
};

TEST_F(DownloadTest, AWholeFileAndTheRequestThatFetchedIt) {
  auto r = Get(Url("/data/70000?x=1#parte"), "a.bin", "sessao=42");
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("a.bin") == Pattern(0, 70000));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0], (std::vector<std::string>{"GET /data/70000?x=1 HTTP/1.1", "User-Agent: netaria", "Accept: */*",
                                                   "Accept-Encoding: identity", "Host: localhost:" + server_->portText(),
                                                   "Connection: Close", "Cookie: sessao=42"}));
  // Speech is left alone: a download says nothing when all goes well.
  EXPECT_EQ(Count(Events(), "line: "), 0);

  // A name pointed at the server by FONIX_RESOLVE; no cookie line without a cookie.
  setenv("FONIX_RESOLVE", ("servidor.teste:" + server_->portText() + ":127.0.0.1").c_str(), 1);
  r = Get("http://servidor.teste:" + server_->portText() + "/data/10", "b.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("b.bin") == Pattern(0, 10));
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0][4], "Host: servidor.teste:" + server_->portText());
  EXPECT_EQ(Requests()[0].size(), 6u);
}

TEST_F(DownloadTest, ResumeAppendsOrRewrites) {
  Put("r.bin", Pattern(0, 30000));
  Get(Url("/data/70000"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(Has(Events(), "line: Retomando download"));
  EXPECT_TRUE(File("r.bin") == Pattern(0, 70000));
  EXPECT_TRUE(Has(Requests()[0], "Range: bytes=30000-"));

  // An empty file asks from byte 0.
  Start("");
  Put("vazio.bin", "");
  Get(Url("/data/5000"), "vazio.bin");
  EXPECT_TRUE(Has(Requests()[0], "Range: bytes=0-"));
  EXPECT_TRUE(File("vazio.bin") == Pattern(0, 5000));

  // A server that ignores the range answers 200: the file is written from its start.
  Start("");
  Put("inteiro.bin", std::string(100000, 'x'));
  Get(Url("/full/5000"), "inteiro.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("inteiro.bin") == Pattern(0, 5000));
  EXPECT_FALSE(Has(Events(), "line: Retomando download"));

  // A complete file: the server has nothing more to give, and that is success.
  Start("");
  Put("pronto.bin", Pattern(0, 4000));
  Get(Url("/data/4000"), "pronto.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("pronto.bin") == Pattern(0, 4000));

  // A part that does not start where the file ends is not appended.
  Start("");
  Put("meio.bin", Pattern(0, 1000));
  Get(Url("/wrongrange/3000"), "meio.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(File("meio.bin") == Pattern(0, 1000));
  EXPECT_EQ(Count(Events(), "line: Erro http206"), 1);
}

TEST_F(DownloadTest, ErrorAnswers) {
  Get(Url("/status/400"), "e400.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro http400:Requisição http não foi bem formulada."));
  Start("");
  Get(Url("/nada"), "e404.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro http404: Página não encontrada."));
  EXPECT_FALSE(Exists("e404.bin"));
  for (const std::string code : {"500", "403", "503"}) {
    Start("");
    Get(Url("/status/" + code), "e.bin");
    EXPECT_EQ(Var("$CHK"), "1");
    EXPECT_TRUE(Has(Events(), "line: Erro http" + code)) << code;
  }
  // A redirect without a target.
  Start("");
  Get(Url("/noloc"), "e.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro http302"));
  // Nobody at the port.
  Start("");
  Get("http://127.0.0.1:1/x", "e.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro de conexao"));
  // A body cut one byte short is no success.
  Start("");
  Get(Url("/short/9000"), "curto.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(File("curto.bin") == Pattern(0, 8999));
  // An address of another kind.
  Start("");
  auto r = Get("ftp://localhost/x", "e.bin");
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Endereço inválido: ftp://localhost/x"));
}

TEST_F(DownloadTest, RedirectsAbsoluteRelativeAndEndless) {
  Get(Url("/redirect/3"), "redir.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("redir.bin") == Pattern(0, 1000));
  EXPECT_EQ(Requests().size(), 5u);  // one connection per hop

  Start("");
  Get(Url("/dir/sub/x"), "rel.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("rel.bin") == Pattern(0, 300));
  EXPECT_EQ(Requests().back()[0], "GET /data/300 HTTP/1.1");

  Start("");
  Get(Url("/abs"), "abs.bin");
  EXPECT_TRUE(File("abs.bin") == Pattern(0, 200));

  Start("");
  Get(Url("/loop"), "loop.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_EQ(Requests().size(), 21u);
  EXPECT_TRUE(Has(Events(), "line: Erro http302: redirecionamentos demais."));
}

TEST_F(DownloadTest, PagesWithoutLengthAreFetchedWhole) {
  Get(Url("/page"), "page.htm", "c=1");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(File("page.htm"), "linha 1\r\nlinha 2\r\nlinha\r3\r\nfim sem quebra\r\n\r\n");
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1], (std::vector<std::string>{"GET /page HTTP/1.1", "Host: localhost:" + server_->portText(),
                                                   "User-Agent: netaria", "Connection: close",
                                                   "Accept-Language: pt-br", "UA-CPU: x86", "Cookie: c=1"}));
  // A chunked page is stored without its chunk sizes.
  Start("");
  Get(Url("/chunked-page"), "chunked.htm");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(File("chunked.htm"), "<p>um\r\ndois</p>\r\n" + std::string(300, 'x') + "\r\n\r\n");
  // An empty body with its length stated is an empty file, fetched once.
  Start("");
  Get(Url("/empty"), "vazio.txt");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(File("vazio.txt"), "");
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(DownloadTest, AudioWithoutLengthIsStreamed) {
  Get(Url("/audio/50000"), "radio.mp3");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("radio.mp3") == Pattern(0, 50000));
  EXPECT_EQ(Requests().size(), 1u);
  Start("");
  Get(Url("/audio-chunked/50000"), "radio2.mp3");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("radio2.mp3") == Pattern(0, 50000));
}

TEST_F(DownloadTest, KeysDuringAStream) {
  // Enter says how much is on disk; Esc asks, "s" stops; a stopped stream is a success.
  Start("{WAIT 600}{ENTER}{WAIT 300}{ESC}s");
  auto r = Get(Url("/audio-endless"), "sem-fim.mp3");
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("$CHK"), "0");
  const auto events = Events();
  std::vector<std::string> said;
  for (const std::string& e : events)
    if (e.rfind("say: ", 0) == 0) said.push_back(e);
  ASSERT_EQ(said.size(), 6u);
  EXPECT_TRUE(said[0].ends_with(" bytes escritos em disco.")) << said[0];
  EXPECT_TRUE(said[1].ends_with(" KBytes gravados.")) << said[1];
  EXPECT_EQ(said[2], "say: Arquivo: c:\\dl\\sem-fim.mp3");
  EXPECT_EQ(said[3], "say: ");
  EXPECT_EQ(said[4], "say: Deseja parar o download?");
  EXPECT_EQ(said[5], "say: O download foi interrompido.");
  EXPECT_TRUE(Has(events, "line: s"));
  EXPECT_GT(File("sem-fim.mp3").size(), 4096u);
  // A chunked stream stopped by the user is a success too, although its last chunk never
  // came.
  Start("{WAIT 600}{ESC}s");
  Get(Url("/audio-chunked-endless"), "sem-fim2.mp3");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(Has(Events(), "line: O download foi interrompido."));
  const std::string streamed = File("sem-fim2.mp3");
  EXPECT_GT(streamed.size(), 4096u);
  EXPECT_TRUE(streamed == Pattern(0, streamed.size()));
}

TEST_F(DownloadTest, KeysDuringAFileWithLength) {
  // Space turns the click on and off; Enter reports; Esc and "n" goes on to the end.
  Start("{WAIT 300}{SPACE}{WAIT 400}{SPACE}{WAIT 200}{ENTER}{WAIT 200}{ESC}n");
  Get(Url("/slow/400000"), "lento.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("lento.bin") == Pattern(0, 400000));
  const auto events = Events();
  EXPECT_GT(Count(events, "click"), 0);
  EXPECT_TRUE(Has(events, "say: Recebidos: "));
  const auto of = std::find_if(events.begin(), events.end(), [](const std::string& e) { return e.find("% de 390KB.") != std::string::npos; });
  EXPECT_NE(of, events.end());
  EXPECT_TRUE(Has(events, "line: n"));
  EXPECT_FALSE(Has(events, "line: O download foi interrompido."));
  // Clicks stop with the second Space: none after the report.
  const auto report = std::find(events.begin(), events.end(), "say: Recebidos: ");
  EXPECT_EQ(std::count(report, events.end(), "click"), 0);
}

TEST_F(DownloadTest, ClicksMarkTheBlocks) {
  // 20000 bytes: four whole blocks of 4096 and the shorter last one.
  Get(Url("/data/20000"), "clique.bin", "", "1");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(Count(Events(), "click"), 5);
  // A stream has no last block to mark.
  Start("");
  Get(Url("/audio/10000"), "clique.mp3", "", "1");
  EXPECT_EQ(Count(Events(), "click"), 2);
}

TEST_F(DownloadTest, AStalledServerCanBeLeft) {
  Start("{WAIT 800}{ESC}S");
  Get(Url("/stall/100000"), "parado.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: O download foi interrompido."));
  EXPECT_TRUE(File("parado.bin") == Pattern(0, 50000));

  // A server that never begins its answer can be left too; other keys are dropped.
  Start("{WAIT 300}x{WAIT 300}{ESC}n{WAIT 300}{ESC}S");
  Get(Url("/mute"), "mudo.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_EQ(Count(Events(), "line: Deseja parar o download?"), 2);
  EXPECT_TRUE(Has(Events(), "line: O download foi interrompido."));
  EXPECT_FALSE(Exists("mudo.bin"));
}

TEST_F(DownloadTest, HttpsVerifiesTheServer) {
  const auto& certs = NetTest::TestCertificates();
  ASSERT_FALSE(certs.dir.empty());
  NetTest::LocalServer secure({"--cert", certs.cert, "--key", certs.key});
  ASSERT_GT(secure.port(), 0);
  setenv("FONIX_RESOLVE", ("servidor.teste:" + secure.portText() + ":127.0.0.1").c_str(), 1);
  const std::string url = "https://servidor.teste:" + secure.portText() + "/data/100000";
  Get(url, "seguro.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Certificado do servidor não confiável: servidor.teste"));
  EXPECT_FALSE(Exists("seguro.bin"));
  setenv("SSL_CERT_FILE", certs.ca.c_str(), 1);
  Start("");
  Get(url, "seguro.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("seguro.bin") == Pattern(0, 100000));
  // The whole-page fetch goes over TLS too.
  Start("");
  Get("https://servidor.teste:" + secure.portText() + "/chunked-page", "seguro.htm");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(File("seguro.htm").substr(0, 8), "<p>um\r\nd");
}

TEST_F(DownloadTest, HeadsWithoutEndFailAsAConnection) {
  // Header lines without end, one header line without end, a status line without end; and
  // the same for the head of the whole-page fetch. Each ends as a failed connection while
  // the server is still writing, and leaves no file.
  for (const std::string route :
       {"endless-headers", "endless-header-line", "endless-status", "fallback-endless-headers"}) {
    Start("");
    Get(Url("/" + route), "cabeca.htm");
    EXPECT_EQ(Var("$CHK"), "1") << route;
    EXPECT_TRUE(Has(Events(), "line: Erro de conexao")) << route;
    // The whole-page fetch first had a page without length from the server.
    EXPECT_EQ(Endings(route.starts_with("fallback") ? 2 : 1).back(), route + " cliente");
    EXPECT_FALSE(Exists("cabeca.htm")) << route;
  }
  // A head within the bounds is still read whole: 190 header lines of 300 bytes (60 KiB).
  Start("");
  Get(Url("/data/100?cabecas=190"), "cabeca.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_TRUE(File("cabeca.bin") == Pattern(0, 100));
}

TEST_F(DownloadTest, EscIsAnsweredWhileTheHeadArrives) {
  // Header lines that keep coming slowly: Esc asks, "S" stops.
  Start("{WAIT 500}{ESC}S");
  Get(Url("/slow-headers"), "devagar.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Deseja parar o download?"));
  EXPECT_TRUE(Has(Events(), "line: O download foi interrompido."));
  EXPECT_EQ(Endings(), std::vector<std::string>{"slow-headers cliente"});
  EXPECT_FALSE(Exists("devagar.bin"));
  // A status line that keeps growing: "n" goes on waiting, other keys are dropped.
  Start("{WAIT 300}x{WAIT 300}{ESC}n{WAIT 300}{ESC}S");
  Get(Url("/slow-status"), "devagar.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_EQ(Count(Events(), "line: Deseja parar o download?"), 2);
  EXPECT_TRUE(Has(Events(), "line: O download foi interrompido."));
  EXPECT_EQ(Endings(), std::vector<std::string>{"slow-status cliente"});
  EXPECT_FALSE(Exists("devagar.bin"));
}

TEST_F(DownloadTest, BrokenOrCutPagesLeaveNoFile) {
  // Pages of the whole-page fetch: chunk sizes "zz" and of 22 digits, a chunk of 0x1000
  // cut after 100 bytes, a length of 100000 cut after 5000 bytes.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/bad-chunk/zz", "line: Erro http: resposta inválida do servidor."},
      {"/bad-chunk/long", "line: Erro http: resposta inválida do servidor."},
      {"/bad-chunk/cut", "line: Erro de conexao"},
      {"/cut-page", "line: Erro de conexao"}};
  for (const auto& [route, message] : cases) {
    Start("");
    Get(Url(route), "pagina.htm");
    EXPECT_EQ(Var("$CHK"), "1") << route;
    EXPECT_TRUE(Has(Events(), message)) << route;
    EXPECT_FALSE(Exists("pagina.htm")) << route;
    // A file that was there stays as it was.
    Start("");
    Put("antiga.htm", "pagina antiga\r\n");
    Get(Url(route), "antiga.htm");
    EXPECT_EQ(Var("$CHK"), "1") << route;
    EXPECT_TRUE(File("antiga.htm") == "pagina antiga\r\n") << route;
  }
  // A chunked audio stream is held to its chunks too: a broken size or a cut chunk fails
  // it; what had arrived stays, as a stream's bytes do.
  for (const std::string kind : {"zz", "long", "cut"}) {
    Start("");
    Get(Url("/bad-chunk-audio/" + kind), "radio-" + kind + ".mp3");
    EXPECT_EQ(Var("$CHK"), "1") << kind;
    const std::string message = kind == "cut" ? "Erro de conexao" : "Erro http: resposta inválida do servidor.";
    EXPECT_TRUE(Has(Events(), "line: " + message)) << kind;
    EXPECT_TRUE(File("radio-" + kind + ".mp3").starts_with("antes")) << kind;
  }
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(DownloadTest, AWholeAnswerToAResumeKeepsTheEarlierFileUntilItIsThere) {
  const std::string partial = Pattern(0, 30000);
  // A 200 whose body never comes, and a 200 with an empty body.
  Put("r.bin", partial);
  Get(Url("/nobody/70000"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Requests()[0], "Range: bytes=30000-"));
  EXPECT_TRUE(File("r.bin") == partial);
  Start("");
  Get(Url("/empty"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Resposta sem conteúdo; o arquivo anterior foi mantido."));
  EXPECT_TRUE(File("r.bin") == partial);
  // An empty page through the whole-page fetch.
  Start("");
  Get(Url("/empty-page"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Resposta sem conteúdo; o arquivo anterior foi mantido."));
  EXPECT_TRUE(File("r.bin") == partial);
  // A whole body cut short: it replaces the earlier file only when it brought more.
  Start("");
  Get(Url("/short/9000"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(File("r.bin") == partial);
  Start("");
  Put("pouco.bin", Pattern(0, 1000));
  Get(Url("/short/9000"), "pouco.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(File("pouco.bin") == Pattern(0, 8999));
  // A user who stops the new body before it brought more keeps the earlier file.
  Start("{WAIT 800}{ESC}S");
  Get(Url("/stall/40000"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(File("r.bin") == partial);
  // A whole page replaces it, as a whole file does.
  Start("");
  Get(Url("/page"), "r.bin");
  EXPECT_EQ(Var("$CHK"), "0");
  EXPECT_EQ(File("r.bin"), "linha 1\r\nlinha 2\r\nlinha\r3\r\nfim sem quebra\r\n\r\n");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(DownloadTest, HostileAnswersOverTls) {
  const auto& certs = NetTest::TestCertificates();
  ASSERT_FALSE(certs.dir.empty());
  NetTest::LocalServer secure({"--cert", certs.cert, "--key", certs.key, "--log", log_});
  ASSERT_GT(secure.port(), 0);
  setenv("FONIX_RESOLVE", ("servidor.teste:" + secure.portText() + ":127.0.0.1").c_str(), 1);
  setenv("SSL_CERT_FILE", certs.ca.c_str(), 1);
  const std::string origin = "https://servidor.teste:" + secure.portText();
  Get(origin + "/endless-headers", "seguro-cabeca.htm");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro de conexao"));
  EXPECT_EQ(Endings(), std::vector<std::string>{"endless-headers cliente"});
  Start("");
  Get(origin + "/bad-chunk/cut", "seguro-cortado.htm");
  EXPECT_EQ(Var("$CHK"), "1");
  EXPECT_TRUE(Has(Events(), "line: Erro de conexao"));
  EXPECT_FALSE(Exists("seguro-cortado.htm"));
}

TEST_F(DownloadTest, OperandsThatFailTheCommand) {
  for (const std::string& line :
       {"trazdarede \"" + Url("/data/1") + "\" \"c:\\dl\\o.bin\" 2 \"a\" \"\" $chk",
        "trazdarede \"" + Url("/data/1") + "\" \"c:\\dl\\o.bin\" 0 \"a\" $chk",
        "trazdarede \"" + Url("/data/1") + "\" \"c:\\dl\\o.bin\" 0",
        "trazdarede \"" + Url("/data/1") + "\" \"c:\\dl\\o.bin\" 0 \"a\" \"\" \"literal\""}) {
    Start("");
    EXPECT_EQ(Run({line}).outcome, Outcome::Error) << line;
  }
  EXPECT_FALSE(Exists("o.bin"));
}

}  // namespace
