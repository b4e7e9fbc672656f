// A real BRLTTY for the tests, with its virtual driver connected to a display played by the
// test: the test reads every row of dots BRLTTY writes and presses the display's keys; fonix
// runs (tests/support/fonix_run.h) given the display's BrlAPI host.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/fonix_run.h"

class BrlttyFixture {
 public:
  explicit BrlttyFixture(int cells = 40);
  ~BrlttyFixture();
  BrlttyFixture(const BrlttyFixture&) = delete;
  BrlttyFixture& operator=(const BrlttyFixture&) = delete;

  // Starts BRLTTY (auth "none" unless another method is given) and waits until it has taken
  // the display; false with `error` set when BRLTTY is missing or does not come up.
  bool Start(std::string& error, const std::string& auth = "none");
  // Ends BRLTTY (the display stays, ready for the next one).
  void StopBrltty();
  // Freezes and thaws BRLTTY (SIGSTOP, SIGCONT): a hung server.
  void Freeze();
  void Thaw();

  // The BrlAPI host a client gives in BRLAPI_HOST.
  std::string Host() const;
  // Every "Braille" row received so far, each as its cells ("1|12|..." split; "" blank).
  std::vector<std::vector<std::string>> Rows();
  // Waits until a row whose first cells are `prefix` arrives after row number `from`;
  // returns its index or -1 at the time-out.
  int WaitForRow(const std::vector<std::string>& prefix, std::size_t from = 0,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Sends one command line of the virtual driver ("LnDn", "Route 3", "PassDots 64").
  void Press(const std::string& command);
  const std::string& Folder() const { return folder_; }

 private:
  void AcceptLoop();
  void ReadLoop(int fd);

  int cells_;
  std::string folder_;
  std::string socketPath_;
  int listenFd_ = -1;
  int apiNumber_ = 0;
  pid_t brltty_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  int displayFd_ = -1;
  bool stopping_ = false;
  std::vector<std::vector<std::string>> rows_;
  std::thread acceptor_;
  std::vector<std::thread> readers_;
};
