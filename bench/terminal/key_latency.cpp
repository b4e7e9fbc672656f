// Key latency of the terminal device: the time from a key written to a pseudo-terminal to
// ConsoleKeyPressed() being true, against the floor any terminal program has (the same key
// through a plain poll() and read() on the terminal), measured in turns in the same run.
// Usage: terminal_key_latency [tries]
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/events/messages.h"

namespace {

double NowUs() {
  using namespace std::chrono;
  return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

// What the device draws must not fill the terminal's buffer.
void DrainOutput(int master) {
  char buf[8192];
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0 || read(master, buf, sizeof buf) <= 0) return;
  }
}

struct Figures {
  std::vector<double> us;
  int firstPump = 0;  // the key was in the queue at the first pump after the wake-up
};

void Print(FILE* out, const char* name, Figures f) {
  std::sort(f.us.begin(), f.us.end());
  const std::size_t n = f.us.size();
  std::fprintf(out, "%-34s median %7.1f us   p90 %7.1f us   max %8.1f us", name, f.us[n / 2], f.us[n * 9 / 10],
               f.us[n - 1]);
  if (f.firstPump >= 0) std::fprintf(out, "   first pump %d/%zu", f.firstPump, n);
  std::fprintf(out, "\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int tries = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
  char dir[] = "/tmp/fonix-key-latency-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("XDG_CONFIG_HOME", (std::string(dir) + "/config").c_str(), 1);
  setenv("FONIX_DRIVE_C", (std::string(dir) + "/c").c_str(), 1);
  setenv("FONIX_CONSOLE", "terminal", 1);
  setenv("TERM", "xterm-256color", 1);

  int master = -1, slave = -1;
  winsize ws{};
  ws.ws_col = 80;
  ws.ws_row = 25;
  if (openpty(&master, &slave, nullptr, nullptr, &ws) != 0) return 1;
  FILE* report = fdopen(dup(STDOUT_FILENO), "w");
  dup2(slave, STDIN_FILENO);
  dup2(slave, STDOUT_FILENO);

  std::string error;
  if (!Console::OpenDevice(error)) {
    std::fprintf(report, "%s\n", error.c_str());
    return 1;
  }
  Keyboard::ConsoleKeyPressed();  // the console is created and drawn

  const char* keys[] = {"a", "\x1b[A"};  // a character, and a sequence to decode (Up)
  Figures device, plain;
  plain.firstPump = -1;
  char buf[64];
  for (int i = 0; i < tries; ++i) {
    const char* key = keys[i % 2];
    const std::size_t len = std::char_traits<char>::length(key);

    DrainOutput(master);
    double t0 = NowUs();
    [[maybe_unused]] ssize_t w = write(master, key, len);
    bool first = true;
    int pumps = 0;
    while (!Keyboard::ConsoleKeyPressed()) {
      if (pumps++ > 0) first = false;
      Messages::WaitMessage(-1);
    }
    device.us.push_back(NowUs() - t0);
    if (first) ++device.firstPump;
    while (Keyboard::QueueCount() > 0) Keyboard::ConsoleReadKey();

    DrainOutput(master);
    t0 = NowUs();
    w = write(master, key, len);
    std::size_t got = 0;
    while (got < len) {
      pollfd p{slave, POLLIN, 0};
      poll(&p, 1, -1);
      const ssize_t n = read(slave, buf, sizeof buf);
      if (n > 0) got += static_cast<std::size_t>(n);
    }
    plain.us.push_back(NowUs() - t0);
  }
  Console::Shutdown();
  DrainOutput(master);

  std::fprintf(report, "key written to a pseudo-terminal, %d tries (half 'a', half Up):\n", tries);
  Print(report, "fonix terminal -> ConsoleKeyPressed", device);
  Print(report, "plain poll()+read() on the terminal", plain);
  std::fclose(report);
  std::string rm = std::string("rm -rf ") + dir;
  return std::system(rm.c_str()) == 0 ? 0 : 1;
}
