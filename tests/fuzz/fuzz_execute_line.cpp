// libFuzzer target: arbitrary text as a program whose lines are each executed once, so
// that every reader, condition and command meets malformed input without looping forever.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/run.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "platform/console_headless.h"
#include "speech/speech_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
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
