// Test support: the fonix executable run headless in a folder of the test's, as a user would
// run it, with a key script and an environment on top of the test's; its exit status, event
// transcript, screen and error output collected, a run that does not end killed in time.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef FONIX_BINARY
#error "FONIX_BINARY must name the fonix executable"
#endif

extern char** environ;

// What a run left: its status (128 + signal when killed), and the files it wrote.
struct FonixRun {
  int status = -1;
  std::string transcript;
  std::string screen;
  std::string output;
  std::string errors;
};

namespace FonixRunner {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace FonixRunner

// Starts fonix on `program` (UTF-8 FONIX text, written to FOLDER/prog.fnx) in `folder`: the
// headless console, the null sound device, no keys, drive C, settings, data and home in the
// folder, the transcript and the screen to FOLDER/transcript and FOLDER/screen, its output to
// FOLDER/stdout and FOLDER/stderr. `env` is set on top of these, the names in `unset` are
// taken out; the user's braille display (BRLAPI_*) is never reached. Its process id.
inline pid_t StartFonix(const std::string& folder, const std::string& program,
                        const std::map<std::string, std::string>& env = {}, const std::vector<std::string>& unset = {},
                        const std::string& binary = FONIX_BINARY) {
  std::ofstream(folder + "/prog.fnx") << program;
  std::map<std::string, std::string> vars = {
      {"FONIX_CONSOLE", "headless"},                {"FONIX_AUDIO", "null"},
      {"FONIX_TRANSCRIPT", folder + "/transcript"}, {"FONIX_SCREEN", folder + "/screen"},
      {"FONIX_DRIVE_C", folder + "/c"},             {"XDG_CONFIG_HOME", folder + "/config"},
      {"XDG_DATA_HOME", folder + "/data"},          {"HOME", folder},
      {"FONIX_KEYS", ""}};
  for (const auto& [k, v] : env) vars[k] = v;
  for (const std::string& name : unset) vars.erase(name);
  auto taken = [&](const std::string& name) {
    if (vars.count(name) || name.rfind("BRLAPI_", 0) == 0) return true;
    for (const std::string& u : unset)
      if (u == name) return true;
    return false;
  };
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (!taken(entry.substr(0, entry.find('=')))) entries.push_back(entry);
  }
  for (const auto& [k, v] : vars) entries.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (std::string& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = binary;
  std::string script = "prog.fnx";
  std::vector<char*> argv = {path.data(), script.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (folder + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (folder + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for the run started by StartFonix to end (killing it after `timeout`) and reads
// what it left in `folder`.
inline FonixRun FinishFonix(const std::string& folder, pid_t pid, std::chrono::seconds timeout) {
  FonixRun run;
  if (pid <= 0) return run;
  const auto until = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() > until) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.errors = "fonix did not end in time; ";
      break;
    }
    usleep(20000);
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.transcript = FonixRunner::ReadAll(folder + "/transcript");
  run.screen = FonixRunner::ReadAll(folder + "/screen");
  run.output = FonixRunner::ReadAll(folder + "/stdout");
  run.errors += FonixRunner::ReadAll(folder + "/stderr");
  return run;
}

// StartFonix and FinishFonix in one: the run to its end (two minutes at the most).
inline FonixRun RunFonix(const std::string& folder, const std::string& program,
                         const std::map<std::string, std::string>& env = {}, const std::vector<std::string>& unset = {},
                         const std::string& binary = FONIX_BINARY,
                         std::chrono::seconds timeout = std::chrono::seconds(120)) {
  return FinishFonix(folder, StartFonix(folder, program, env, unset, binary), timeout);
}
