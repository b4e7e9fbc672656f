// Writes the headless run's event transcript.
#include "platform/headless/transcript.h"

#include <cstdio>

#include "platform/text/cp1252.h"

namespace Transcript {
namespace {
struct State {
  std::FILE* file = nullptr;
  bool failed = false;  // a line could not be written
  std::string watched;  // UTF-8 text looked for, empty for none
  bool seen = false;
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

void Write(const std::string& line) {
  if (std::fwrite(line.data(), 1, line.size(), state.file) != line.size() || std::fflush(state.file) != 0)
    state.failed = true;
}
}  // namespace

bool Open(const std::string& path) {
  Close();
  state.failed = false;
  if (path.empty()) return true;
  state.file = std::fopen(path.c_str(), "w");
  return state.file != nullptr;
}

bool IsOpen() { return state.file != nullptr; }

void Event(std::string_view kind, std::string_view text) {
  if (!state.file && state.watched.empty()) return;
  const std::string utf8 = Escape(Cp1252::ToUtf8(text));
  if (!state.watched.empty() && utf8.find(state.watched) != std::string::npos) {
    state.seen = true;
    state.watched.clear();
  }
  if (state.file) Write(std::string(kind) + ": " + utf8 + "\n");
}

void Watch(std::string_view utf8) {
  state.watched.assign(utf8);
  state.seen = utf8.empty();
}

bool Seen() { return state.seen; }

void Event(std::string_view kind) {
  if (!state.file) return;
  Write(std::string(kind) + "\n");
}

bool Close() {
  if (state.file && std::fclose(state.file) != 0) state.failed = true;
  state.file = nullptr;
  const bool written = !state.failed;
  state.failed = false;
  return written;
}

}  // namespace Transcript
