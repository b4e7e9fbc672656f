// libFuzzer target: arbitrary text as a program whose lines are each executed once, so
// that every reader, condition and command meets malformed input without looping forever.
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/run.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "platform/console_headless.h"
#include "platform/paths.h"
#include "speech/speech.h"
#include "speech/speech_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    // The file commands act on what the lines name: every drive is a folder of the run's
    // own, so no mutated name reaches a file outside it.
    static std::string sandbox = "/tmp/fonix-fuzz-XXXXXX";
    if (!mkdtemp(sandbox.data())) std::abort();
    for (char d = 'A'; d <= 'Z'; ++d) unsetenv((std::string("FONIX_DRIVE_") + d).c_str());
    setenv("FONIX_DRIVE_C", sandbox.c_str(), 1);
    setenv("FONIX_DRIVE_Z", sandbox.c_str(), 1);
    if (chdir(sandbox.c_str()) != 0) std::abort();
    Paths::ResetPaths();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(sandbox, ec);
    });
    Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
    Speech::ConnectWaveOutput();  // sounds end as in a real run, where speech start-up joins them
    // The pauses after marks are real waits; the fuzzer wants every line to be quick.
    auto& timing = Speech::St().timing;
    timing.pausaPonto = timing.pausaVirg = timing.pausaDoisPontos = 0;
    return true;
  }();
  (void)ready;
  std::vector<std::string> lines;
  std::string error;
  if (!Interp::SplitProgram(std::string_view(reinterpret_cast<const char*>(data), size), lines, error)) return 0;
  if (lines.size() > 64) lines.resize(64);
  Interp::ResetInterpreter();
  Console::ResetConsole();
  Keyboard::ResetKeyboard();
  for (std::size_t n = 0; n < lines.size(); ++n) Interp::StoreLine(lines[n], static_cast<int>(n + 1));
  Interp::State& s = Interp::St();
  for (std::size_t n = 0; n < lines.size(); ++n) {
    s.currentLine = static_cast<int>(n + 1);
    s.stopFlag = s.errorFlag = false;
    try {
      Interp::ExecuteLine(s.lines[n + 1], false);
    } catch (const ProgramExit&) {
      // A read with no keys left closes the window: the program would end here.
    }
  }
  return 0;
}
