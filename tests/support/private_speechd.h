// Test support: a Speech Dispatcher of the test's own, in a throw-away folder with its own
// configuration, socket and log, speaking through libao's null driver (no sound card) and
// with a recording module whose "speech" is a line appended to a file ("rec"), eSpeak NG's
// module ("espeak-ng", with "rec" beside it) or the placeholder module of a machine without a
// synthesizer ("dummy"). Started by the test, ended by it; SPEECHD_ADDRESS points clients at it.
#pragma once

#include <string>
#include <vector>

class PrivateSpeechd {
 public:
  // `recordSeconds`: how long the recording module takes to "say" each piece of text.
  explicit PrivateSpeechd(const std::string& defaultModule = "rec", double recordSeconds = 0.3);
  ~PrivateSpeechd();
  PrivateSpeechd(const PrivateSpeechd&) = delete;
  PrivateSpeechd& operator=(const PrivateSpeechd&) = delete;

  // Whether the server answers on its socket (it is given a few seconds to start).
  bool Started() const { return started_; }
  std::string Error() const { return error_; }
  // What the recording module was asked to say, one line per piece: VOICE|RATE|TEXT.
  std::vector<std::string> Said() const;
  // Waits up to `ms` for at least `lines` lines to have been said.
  bool WaitForSaid(std::size_t lines, int ms) const;
  // Kills the server at once, as a crash would.
  void Kill();

 private:
  std::string dir_;
  int pid_ = -1;
  bool started_ = false;
  std::string error_;
};
