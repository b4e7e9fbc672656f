// Test support for starting programs: the interpreter on a headless console (see
// interp_fixture.h) with the child processes, the launcher and the desktop reset, a
// throw-away folder for helper programs, and waits that keep the event loop running.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/desktop/desktop.h"
#include "services/child_process.h"
#include "services/launch.h"
#include "tests/support/interp_fixture.h"

class ProgramsTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    ResetPrograms();
    char name[] = "/tmp/fonix-programs-XXXXXX";
    dir_ = mkdtemp(name);
    std::filesystem::create_directories(DriveC());
  }
  void TearDown() override {
    ResetPrograms();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    InterpTest::TearDown();
  }

  // A fresh headless console with `keys`, the program modules clean beside it.
  void Restart(const std::string& keys) {
    Start(keys);
    ResetPrograms();
  }

  static void ResetPrograms() {
    Launch::ResetLaunch();
    ChildProcess::ResetChildProcess();
    Desktop::ResetDesktop();
  }

  // Runs the event loop until `done` or the patience runs out; returns `done()`.
  static bool Until(const std::function<bool()>& done, int patienceMs = 20000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      Messages::PumpMessages();
      Messages::WaitMessage(20);
    }
    return true;
  }

  // Collects the child's output (LE CONSOLE reads) until the child has ended and nothing
  // more comes.
  static std::string OutputUntilEnd(int pid) {
    std::string all;
    Until([&] {
      const bool ended = !ProcessExists(pid);  // reaped: its descriptors are closed too
      all += ChildProcess::ChildReadOutput();
      return ended;
    });
    all += ChildProcess::ChildReadOutput();
    return all;
  }

  // True while /proc shows the process and it is not a zombie.
  static bool ProcessAlive(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
  }
  // True while any trace of the process is left (running or a zombie).
  static bool ProcessExists(int pid) { return std::filesystem::exists("/proc/" + std::to_string(pid)); }

  // Writes a file below the test's folder; `mode` 0755 for a program.
  std::filesystem::path WriteFile(const std::string& name, const std::string& text, mode_t mode = 0644) {
    const std::filesystem::path path = dir_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
    return path;
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // The drive C folder of the test (InterpTest's FONIX_DRIVE_C).
  static std::filesystem::path DriveC() { return std::getenv("FONIX_DRIVE_C"); }

  std::filesystem::path dir_;
};
