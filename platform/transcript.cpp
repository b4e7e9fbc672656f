// Writes the headless run's event transcript.
#include "platform/transcript.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace Transcript {
namespace {
struct State {
  std::FILE* file = nullptr;
};
State state;

std::string Escape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out.push_back(c);
  }
  return out;
}
}  // namespace

bool Open(const std::string& path) {
  Close();
  if (path.empty()) return true;
  state.file = std::fopen(path.c_str(), "w");
  return state.file != nullptr;
}

bool IsOpen() { return state.file != nullptr; }

void Event(std::string_view kind, std::string_view text) {
  if (!state.file) return;
  const std::string line = std::string(kind) + ": " + Escape(Cp1252::ToUtf8(text)) + "\n";
  std::fwrite(line.data(), 1, line.size(), state.file);
  std::fflush(state.file);
}

void Event(std::string_view kind) {
  if (!state.file) return;
  const std::string line = std::string(kind) + "\n";
  std::fwrite(line.data(), 1, line.size(), state.file);
  std::fflush(state.file);
}

void Close() {
  if (state.file) std::fclose(state.file);
  state.file = nullptr;
}

}  // namespace Transcript
