// F12 of the line editor: deciding how a word is opened from the settings of section AURIS,
// translating drive paths for the programs of this system, and starting them.
#include "ui/open_word.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/desktop/shell_open.h"
#include "speech/speech.h"

namespace OpenWord {
namespace {

bool IsAddress(std::string_view w) {
  const std::string f = Paths::FoldCase(w.substr(0, 8));
  return f.starts_with("HTTP://") || f.starts_with("HTTPS://") || f.starts_with("WWW.");
}

bool HasDrive(std::string_view w) {
  return w.size() >= 2 && w[1] == ':' && ((w[0] >= 'a' && w[0] <= 'z') || (w[0] >= 'A' && w[0] <= 'Z'));
}

// The Linux file of a program written as a drive path, ".exe" optional both ways.
std::string HostFile(const std::string& windowsPath) {
  std::vector<std::string> tries{windowsPath};
  const std::string folded = Paths::FoldCase(windowsPath);
  if (folded.ends_with(".EXE")) tries.push_back(windowsPath.substr(0, windowsPath.size() - 4));
  else tries.push_back(windowsPath + ".exe");
  for (const std::string& t : tries)
    if (Paths::Exists(t) && !Paths::IsFolder(t)) return Paths::ToHost(t);
  return {};
}

// A program of the settings: a drive path, a path from the current folder, or a name the
// system finds itself (without ".exe").
std::string HostProgram(const std::string& program) {
  if (HasDrive(program) || program.find_first_of("\\/") != std::string::npos) return HostFile(program);
  if (std::string host = HostFile(program); !host.empty()) return host;
  std::string name = Cp1252::ToUtf8(program);
  if (Paths::FoldCase(program).ends_with(".EXE")) name.resize(name.size() - 4);
  return name;
}

// A parameter that names an existing file or folder is handed over as its Linux path.
std::string HostArgument(const std::string& word) {
  if (!IsAddress(word) && Paths::Exists(word)) return Paths::ToHost(word);
  if (Paths::FoldCase(word.substr(0, 4)) == "WWW.") return "http://" + Cp1252::ToUtf8(word);
  return Cp1252::ToUtf8(word);
}

void WaitUntilEnded(ShellOpen::Child child) {
  if (Console::SuspendDevice()) {
    ShellOpen::WaitFor(child);
    Console::ResumeDevice();
    return;
  }
  while (!ShellOpen::Ended(child)) {
    Messages::PumpMessages();
    Messages::WaitMessage(20);
  }
}

}  // namespace

Plan PlanFor(std::string_view word) {
  Plan plan;
  plan.target.assign(word);
  if (IsAddress(word)) {
    plan.program = Settings::ReadAurisSettings().progHtm;
    return plan;
  }
  const std::string extension = Settings::DocumentExtension(word);
  if (extension != "EXE" && extension != "COM") {
    plan.program = Settings::ReadProg(extension);
    return plan;
  }
  plan.startTarget = true;
  if (!HasDrive(word) && !word.starts_with("\\")) {
    std::string folder = Paths::CurrentFolder();
    if (!folder.ends_with("\\")) folder += '\\';
    plan.target = folder + plan.target;
  }
  return plan;
}

void OpenWord(std::string_view word) {
  Speech::WaitForSilence();
  const Plan plan = PlanFor(word);
  const std::string folder = Paths::ToHost(Paths::CurrentFolder());
  ShellOpen::Child child = ShellOpen::kNoChild;
  if (plan.startTarget) {
    if (const std::string program = HostFile(plan.target); !program.empty()) child = ShellOpen::Start({program}, folder);
  } else if (plan.program.empty()) {
    child = ShellOpen::OpenDocument(HostArgument(plan.target), folder);
  } else if (const std::string program = HostProgram(plan.program); !program.empty()) {
    child = ShellOpen::Start({program, HostArgument(plan.target)}, folder);
  }
  if (child < 0) {
    Speech::PlayBeep();
    return;
  }
  WaitUntilEnded(child);
  Speech::WaitForSilence();
}

}  // namespace OpenWord
