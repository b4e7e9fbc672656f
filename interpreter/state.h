// The interpreter state every command shares: the line store, the current line, the run
// flags, the call stack and the status code, with the program's arguments and start time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Interp {

inline constexpr int kMaxLines = 5000;
inline constexpr int kMaxCallDepth = 20;

// A label a jump found, standing while the line index it came from does.
struct KnownLabel {
  std::string name;  // as written
  int line = 0;
  unsigned generation = 0;
};

struct State {
  std::vector<std::string> lines = std::vector<std::string>(kMaxLines + 1);  // slot 0 unused
  int lineCount = 0;
  int currentLine = 1;
  bool errorFlag = false;
  bool stopFlag = false;
  bool quietEnd = false;
  bool debug = false;
  // The command word (folded) of the command being executed; it views the line's scanned
  // form and is valid while that command runs.
  std::string_view commandWord;
  int callDepth = 0;
  std::array<int, kMaxCallDepth + 1> callStack{};
  int statusCode = 0;
  int64_t startHundredths = 0;  // since local midnight
  int startWeekday = 0;         // 0 = Sunday
  uint32_t randomSeed = 0;
  // The program's command line: the program itself first, then its arguments.
  std::vector<std::string> commandLine;
  // A loop jumps to the same few labels again and again: a small table by a hash of the name.
  std::array<KnownLabel, 16> knownLabels;
  // Lines nested inside the one running (each SE runs the rest of its line nested), counted by
  // the scopes that run them.
  int nestedLines = 0;
};

// The one state of the process. Inline, because every line executed reaches it several
// times.
inline State theState;
inline State& St() { return theState; }

// line store[n] := text; line count := n. Numbers above the store's size are refused. Lines
// change only through here: each line's scanned form and the line index are made anew.
bool StoreLine(std::string text, int number);
void ResetInterpreter();

}  // namespace Interp
