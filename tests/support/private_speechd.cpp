// A private Speech Dispatcher for the tests of the SAPI 5 voice (see private_speechd.h).
#include "private_speechd.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

bool Answers(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

PrivateSpeechd::PrivateSpeechd(const std::string& defaultModule, double recordSeconds) {
  char name[] = "/tmp/fonix-speechd-XXXXXX";
  dir_ = mkdtemp(name);
  namespace fs = std::filesystem;
  fs::create_directories(dir_ + "/modules");
  fs::create_directories(dir_ + "/home");
  fs::create_directories(dir_ + "/log");
  std::ofstream(dir_ + "/home/.libao") << "default_driver=null\n";
  // Only the modules the test speaks with: each one the server starts costs it time.
  std::ofstream conf(dir_ + "/speechd.conf");
  conf << "AudioOutputMethod \"libao\"\nLogLevel 3\nDefaultLanguage \"pt-BR\"\n";
  if (defaultModule == "dummy") conf << "AddModule \"dummy\" \"sd_dummy\" \"\"\n";
  else conf << "AddModule \"rec\" \"sd_generic\" \"rec.conf\"\n";
  if (defaultModule == "espeak-ng") conf << "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n";
  conf << "DefaultModule \"" << defaultModule << "\"\n";
  conf.close();
  std::ofstream(dir_ + "/modules/espeak-ng.conf") << "\n";
  std::ofstream rec(dir_ + "/modules/rec.conf");
  rec << "GenericExecuteSynth \"printf '%s|%s|%s\\\\n' \\'$VOICE\\' \\'$RATE\\' \\'$DATA\\' >> " << dir_
      << "/said.txt; sleep " << recordSeconds << "\"\n"
      << "GenericRateAdd 0\nGenericRateMultiply 100\nGenericRateForceInteger 1\n"
      << "GenericLanguage \"pt-BR\" \"pt-br\" \"utf-8\"\n"
      << "GenericLanguage \"pt-br\" \"pt-br\" \"utf-8\"\n"
      << "GenericLanguage \"en\" \"en\" \"utf-8\"\n"
      << "AddVoice \"pt-BR\" \"MALE1\" \"brasil\"\n"
      << "AddVoice \"pt-BR\" \"FEMALE1\" \"brasileira\"\n"
      << "AddVoice \"en\" \"MALE1\" \"ingles\"\n";
  rec.close();
  const std::string socketPath = dir_ + "/sock";
  pid_ = fork();
  if (pid_ == 0) {
    setenv("HOME", (dir_ + "/home").c_str(), 1);
    const int out = ::open((dir_ + "/server.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    setpgid(0, 0);
    execlp("speech-dispatcher", "speech-dispatcher", "-s", "-t", "60", "-C", dir_.c_str(), "-L",
           (dir_ + "/log").c_str(), "-P", (dir_ + "/pid").c_str(), "-c", "unix_socket", "-S", socketPath.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 600 && !started_; ++i) {  // up to 30 s on a loaded machine
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = "speech-dispatcher did not start (is it installed?); see " + dir_ + "/server.out";
      return;
    }
    started_ = Answers(socketPath);
    if (!started_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!started_) error_ = "speech-dispatcher did not answer on " + socketPath;
  setenv("SPEECHD_ADDRESS", ("unix_socket:" + socketPath).c_str(), 1);
}

PrivateSpeechd::~PrivateSpeechd() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 60 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(-pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  unsetenv("SPEECHD_ADDRESS");
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> PrivateSpeechd::Said() const {
  std::vector<std::string> out;
  std::ifstream in(dir_ + "/said.txt");
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

bool PrivateSpeechd::WaitForSaid(std::size_t lines, int ms) const {
  for (int waited = 0; waited < ms; waited += 20) {
    if (Said().size() >= lines) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return Said().size() >= lines;
}

void PrivateSpeechd::Kill() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

// libspeechd itself loses a few bytes (a failed connection's socket name, its event thread's
// reply buffer), allocated through GLib, whose frames the leak checker often cannot walk
// past; they are not ours to free, and the checker is told so. This binary uses GLib only
// through libspeechd.
extern "C" const char* __lsan_default_suppressions() { return "leak:libspeechd.so\nleak:libglib-2.0.so\n"; }
