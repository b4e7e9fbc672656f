// TRAZDAREDE beside curl: the same file (1 GiB unless told otherwise) downloaded from a
// local server over HTTP and over HTTPS by the fonix executable and by curl, each run
// twice, the better run kept; wall time, throughput and CPU time (user + system).
// Run by hand: bench/network/network_download_bench [MiB]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Timing {
  double seconds = 0;
  double cpu = 0;
  int status = -1;
};

// Runs argv with the extra environment, its output thrown away; wall and CPU time.
Timing Measure(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Timing t;
  t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  t.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  t.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return t;
}

struct Server {
  pid_t pid = -1;
  int input = -1;  // closing it ends the server
  int port = 0;
};

Server StartServer(const std::vector<std::string>& args) {
  int in[2], out[2];
  Server s;
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return s;
  s.pid = fork();
  if (s.pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  s.input = in[1];
  char line[64] = {};
  const ssize_t n = read(out[0], line, sizeof line - 1);
  close(out[0]);
  if (n > 5) s.port = std::atoi(line + 5);
  return s;
}

void StopServer(Server& s) {
  if (s.input >= 0) close(s.input);
  if (s.pid > 0) waitpid(s.pid, nullptr, 0);
}

long long FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const long long mib = argc > 1 ? std::atoll(argv[1]) : 1024;
  const long long bytes = mib << 20;
  char dirTemplate[] = "/tmp/fonix-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string ca = dir + "/ca";
  if (std::system(("bash '" FONIX_BENCH_SOURCE "/tests/support/make_ca.sh' '" + ca + "'").c_str()) != 0) {
    std::fprintf(stderr, "the openssl command could not make the certificates\n");
    return 1;
  }
  Server plain = StartServer({FONIX_BENCH_SERVER});
  Server secure = StartServer({FONIX_BENCH_SERVER, ca + "/server.pem", ca + "/server.key"});
  if (!plain.port || !secure.port) {
    std::fprintf(stderr, "the benchmark's server did not start\n");
    return 1;
  }
  std::system(("mkdir -p '" + dir + "/c' '" + dir + "/config'").c_str());
  const std::string program = dir + "/baixa.fnx";
  const std::string empty = dir + "/vazio.fnx";
  std::ofstream(empty) << "termina mudo\n";

  std::printf("TRAZDAREDE beside curl, %lld MiB from a local server (best of 2 runs)\n", mib);
  std::printf("%-6s %-7s %9s %10s %9s\n", "", "client", "seconds", "MB/s", "CPU s");
  const std::vector<std::string> fonixEnv = {"FONIX_CONSOLE=headless", "FONIX_AUDIO=null", "FONIX_KEYS=",
                                             "FONIX_DRIVE_C=" + dir + "/c", "XDG_CONFIG_HOME=" + dir + "/config",
                                             "SSL_CERT_FILE=" + ca + "/ca.pem"};
  const Timing start = Measure({FONIX_BENCH_FONIX, empty}, fonixEnv);
  bool ok = true;
  for (const bool tls : {false, true}) {
    const int port = tls ? secure.port : plain.port;
    const std::string host = "servidor.teste:" + std::to_string(port);  // a name of the test certificate
    const std::string url = std::string(tls ? "https://" : "http://") + host + "/" + std::to_string(bytes);
    std::ofstream(program) << "trazdarede \"" << url << "\" \"c:\\baixado.bin\" 0 \"bench\" \"\" $chk\n"
                           << "se $chk = 0 termina mudo\nescreve \"falhou\"\n";
    std::vector<std::string> env = fonixEnv;
    env.push_back("FONIX_RESOLVE=" + host + ":127.0.0.1");
    Timing best[2];
    for (int round = 0; round < 2; ++round) {
      const std::string curlFile = dir + "/curl.bin";
      const Timing c = Measure({"curl", "-s", "-S", "--fail", "--cacert", ca + "/ca.pem", "--resolve",
                                host + ":127.0.0.1", "-o", curlFile, url},
                               {});
      ok = ok && c.status == 0 && FileSize(curlFile) == bytes;
      std::remove(curlFile.c_str());
      const std::string ourFile = dir + "/c/baixado.bin";
      const Timing f = Measure({FONIX_BENCH_FONIX, program}, env);
      ok = ok && f.status == 0 && FileSize(ourFile) == bytes;
      std::remove(ourFile.c_str());
      if (round == 0 || c.seconds < best[0].seconds) best[0] = c;
      if (round == 0 || f.seconds < best[1].seconds) best[1] = f;
    }
    const double mb = bytes / 1e6;
    const char* scheme = tls ? "HTTPS" : "HTTP";
    std::printf("%-6s %-7s %9.2f %10.0f %9.2f\n", scheme, "curl", best[0].seconds, mb / best[0].seconds, best[0].cpu);
    std::printf("%-6s %-7s %9.2f %10.0f %9.2f\n", scheme, "fonix", best[1].seconds, mb / best[1].seconds, best[1].cpu);
    std::printf("%-6s fonix/curl throughput %.2f\n", scheme, best[0].seconds / best[1].seconds);
  }
  std::printf("(fonix times include its start and end: %.2f s, %.2f s CPU, for an empty program)\n", start.seconds,
              start.cpu);
  StopServer(plain);
  StopServer(secure);
  std::system(("rm -rf '" + dir + "'").c_str());
  if (!ok) {
    std::fprintf(stderr, "a download failed or came incomplete\n");
    return 1;
  }
  return 0;
}
