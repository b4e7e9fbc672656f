// The shell's "open" on Linux: programs as child processes (see command_line.h), documents and
// addresses through xdg-open, whose quick failure (no program for the type) fails the
// start. A program waited for on the terminal device runs in its own process group as the
// terminal's foreground job, the console suspended, until it ends.
#include "services/launch.h"

#include <algorithm>
#include <string>

#include "console/console.h"
#include "settings/settings_keys.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/desktop/desktop.h"
#include "platform/files/paths.h"
#include "platform/processes/processes.h"
#include "services/child_registry.h"
#include "services/child_spawn.h"
#include "services/command_line.h"
#include "services/program_names.h"

namespace Launch {
namespace {

// xdg-open runs the program for the type and may stay while it runs; a failure (no
// program for the type, a missing file) comes within this time.
constexpr int kOpenerVerdictMs = 1000;

struct State {
  Processes::ProcessId foreground = -1;  // the program started Waited
  bool lent = false;           // the console device lent it the terminal
  bool tookForeground = false;  // it started, so it had the foreground from its start
};

State& S() {
  static State state;
  return state;
}

bool StartsWithFolded(std::string_view text, std::string_view upper) {
  return text.size() >= upper.size() && Paths::FoldCase(text.substr(0, upper.size())) == upper;
}

// "http://…", "mailto:…", "www.…": an address, not a file. A drive letter is no scheme.
bool IsAddress(std::string_view text) {
  if (StartsWithFolded(text, "WWW.")) return true;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
  }
  return true;
}

void TakeTerminalBack() {
  State& s = S();
  if (!s.lent) return;
  s.lent = false;
  Processes::TakeTerminalForeground();
  Console::ResumeDevice();
}

// Whether this start hands the terminal over: a Waited start with a console device that
// lends its terminal (and no console window on a display to watch instead).
bool LendForStart(Show show) {
  if (show != Show::Waited || Desktop::ConsoleWindow() != 0) return false;
  if (!Console::LendTerminal()) return false;
  S().lent = true;
  return true;
}

// Spawns and registers; the child's process id or -1 with the reason in `failure`.
Processes::ProcessId Start(const CommandLine::Start& start, std::string_view folder, Show show,
                           Processes::SpawnFailure& failure) {
  ChildSpawn::Request request;
  request.path = start.host;
  request.argv = start.argv;
  if (!folder.empty()) request.folder = Paths::ToHost(folder);
  const bool lent = LendForStart(show);
  if (lent) {
    request.stdinFd = Processes::StandardInput();
    request.stdoutFd = Processes::StandardOutput();
    request.stderrFd = Processes::StandardError();
    request.terminalFd = Processes::StandardInput();
  }
  const Processes::ProcessId pid = ChildSpawn::Spawn(request, failure);
  if (pid < 0) {
    TakeTerminalBack();
    return -1;
  }
  ChildRegistry::Add(pid, start.keys, start.windowsPath);
  if (show == Show::Waited) {
    S().foreground = pid;
    S().tookForeground = true;
  }
  return pid;
}

int ErrorCode(Processes::SpawnFailure failure) {
  if (failure == Processes::SpawnFailure::NoAccess) return kAccessDenied;
  if (failure == Processes::SpawnFailure::NotAFolder) return kPathNotFound;
  return kFileNotFound;
}

// xdg-open on a document (Linux path) or an address.
int OpenWithDesktop(const std::string& target, std::string_view folder, Show show) {
  CommandLine::Start start;
  ProgramNames::Program opener;
  if (ProgramNames::Find("xdg-open", opener) != ProgramNames::kFound) return kNoAssociation;
  start.host = opener.host;
  start.argv = {opener.host, target};
  start.keys = opener.keys;
  start.windowsPath = opener.windowsPath;
  Processes::SpawnFailure failure;
  const Processes::ProcessId pid = Start(start, folder, show, failure);
  if (pid < 0) return kNoAssociation;
  const int64_t until = Messages::NowMs() + kOpenerVerdictMs;
  while (ChildRegistry::IsRunning(pid) && Messages::NowMs() < until) {
    Messages::PumpMessages();
    Messages::WaitMessage(static_cast<int>(std::max<int64_t>(1, until - Messages::NowMs())));
  }
  const auto status = ChildRegistry::ExitStatus(pid);
  if (!status || (status->normal && status->code == 0)) return kStarted;
  // xdg-open: 2 a file that does not exist; 3 no program found; 4 the program failed.
  if (status->normal && status->code == 2) return kFileNotFound;
  return kNoAssociation;
}

}  // namespace

int ShellOpen(std::string_view file, std::string_view parameters, std::string_view folder, Show show) {
  file = TextKit::TrimSpacesTabs(file);
  if (file.empty() || file.find('\0') != std::string_view::npos) return kFileNotFound;
  if (IsAddress(file)) {
    std::string address = Cp1252::ToUtf8(file);
    if (StartsWithFolded(file, "WWW.")) address = "http://" + address;
    return OpenWithDesktop(address, folder, show);
  }
  CommandLine::Start start;
  const int found = CommandLine::FromProgram(file, parameters, start);
  if (found == 0) {
    Processes::SpawnFailure failure;
    if (Start(start, folder, show, failure) >= 0) return kStarted;
    // Marked executable but no program (a document on a disk that marks every file).
    if (failure != Processes::SpawnFailure::NotAProgram) return ErrorCode(failure);
  } else if (found != ProgramNames::kAccessDenied) {
    return found;
  }
  // A document or a folder: the desktop's program for it.
  const std::string host = Paths::ToHost(file);
  if (host.empty() || !Paths::Exists(file)) return kFileNotFound;
  return OpenWithDesktop(host, folder, show);
}

int LaunchProgram(std::string_view program, std::string_view folder, std::string_view parameters, Show show) {
  program = TextKit::TrimSpacesTabs(program);
  std::string params(parameters);
  if (!program.empty() && program.front() == '"') {
    const std::size_t close = program.find('"', 1);
    if (close != std::string_view::npos) {
      const std::string_view after = TextKit::TrimSpacesTabs(program.substr(close + 1));
      if (!after.empty()) params = std::string(after) + " " + params;
      program = program.substr(1, close - 1);
    } else {
      program.remove_prefix(1);
    }
  }
  return ShellOpen(program, params, folder, show);
}

// A program that has the terminal and was stopped (Ctrl+Z) would leave the user with
// neither it nor the console: it goes on, as the console is waiting for it.
void ContinueIfStopped(Processes::ProcessId pid) { Processes::ContinueGroupIfStopped(pid); }

bool ConsoleInFront() {
  State& s = S();
  const bool waited = s.foreground > 0 && ChildRegistry::IsRunning(s.foreground);
  if (waited && s.lent) ContinueIfStopped(s.foreground);
  if (!waited) {
    s.foreground = -1;
    TakeTerminalBack();
  }
  const Desktop::WindowId console = Desktop::ConsoleWindow();
  if (console != 0 && Desktop::HasDisplay()) return Desktop::ActiveWindow() == console;
  return !waited;
}

void WaitForReturn() {
  State& s = S();
  // A program waited for without a console window to watch had the foreground from its
  // start: there is nothing to wait for before watching it.
  const bool hadForeground = s.tookForeground && Desktop::ConsoleWindow() == 0;
  s.tookForeground = false;
  if (!hadForeground) {
    for (int i = 0; i < 50; ++i) {
      Console::ConsoleDelay(100);
      if (!ConsoleInFront()) break;
    }
  }
  while (!ConsoleInFront()) Console::ConsoleDelay(100);
  Console::ConsoleDelay(SettleDelayMs());
}

int SettleDelayMs() { return Settings::ReadAurisSettings().tempoEsperaProgVoltar; }

void ResetLaunch() {
  TakeTerminalBack();
  S() = State{};
}

}  // namespace Launch
