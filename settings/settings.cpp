// Where the settings file is, and ReadSetting with its legacy lookup and folder macros.
#include "settings/settings.h"

#include <cstdlib>
#include <filesystem>

#include "settings/settings_profile.h"
#include "platform/files/paths.h"

namespace Settings {

namespace {

struct SettingsState {
  bool legacy = true;
  std::string programFolder;  // empty: not set, the executable's folder is used
  bool readingProgramGroup = false;
  ProfileCache files;
};

SettingsState& State() {
  static SettingsState state;
  return state;
}

constexpr std::size_t kValueMax = 254;   // what a buffer of 255 characters holds
constexpr std::size_t kDirectMax = 80;   // the display, sound and audio readers
constexpr std::string_view kWindowsFolder = "c:\\windows";
constexpr std::string_view kFileName = "\\Auris.ini";

std::string DropTrailingBackslashes(std::string s) {
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

// The Windows form of the AppData place; empty when no drive holds it.
std::string AppDataFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder = config && config[0] == '/' ? config : "";
  if (folder.empty()) {
    const char* home = std::getenv("HOME");
    folder = std::string(home && home[0] ? home : "/") + "/.config";
  }
  return DropTrailingBackslashes(Paths::ToWindows(folder));
}

std::string ExecutableFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return DropTrailingBackslashes(Paths::ToWindows(exe.parent_path().string()));
}

// The folder for "@\": PGMAURIS, or the program folder when that is empty or begins with
// an at sign. PGMAURIS may itself hold "@\"; inside its own expansion that means the
// program folder, so that it cannot expand forever.
std::string ProgramGroupFolder() {
  SettingsState& s = State();
  if (s.readingProgramGroup) return ProgramFolder();
  s.readingProgramGroup = true;
  std::string group = ReadSetting("AURIS", "PGMAURIS");
  s.readingProgramGroup = false;
  if (group.empty() || group[0] == '@') return ProgramFolder();
  return group;
}

std::string ExpandMacros(std::string value) {
  // Each round inserts a folder that may hold the macros again (a folder named "x@"):
  // a bounded number of rounds keeps such a value from growing without end.
  for (int round = 0; round < 16; ++round) {
    if (value == "@") return ProgramFolder();
    if (const std::size_t at = value.find("@@\\"); at != std::string::npos) value.replace(at, 2, SettingsFolder());
    const std::size_t at = value.find("@\\");
    if (at == std::string::npos) break;
    value.replace(at, 1, ProgramGroupFolder());
  }
  return value;
}

}  // namespace

std::string SettingsFolder() {
  const std::string candidate = AppDataFolder() + "\\Auris";
  const std::string legacy = std::string(kWindowsFolder);
  if (!Paths::Exists(candidate + std::string(kFileName)) && Paths::Exists(legacy + std::string(kFileName)))
    return legacy;
  return candidate;
}

std::string SettingsFile() { return SettingsFolder() + std::string(kFileName); }

std::string LegacyFile() { return std::string(kWindowsFolder) + std::string(kFileName); }

std::string ReadSetting(std::string_view section, std::string_view key) {
  SettingsState& s = State();
  std::string value = ReadProfileString(s.files, Paths::ToHost(SettingsFile()), section, key, "", kValueMax);
  if (value.empty() && s.legacy)
    value = ReadProfileString(s.files, Paths::ToHost(LegacyFile()), section, key, "", kValueMax);
  return ExpandMacros(std::move(value));
}

std::string ReadDirect(std::string_view section, std::string_view key, std::string_view def) {
  return ReadProfileString(State().files, Paths::ToHost(SettingsFile()), section, key, def, kDirectMax);
}

void SetLegacySwitch(bool on) { State().legacy = on; }

bool LegacySwitch() { return State().legacy; }

void SetProgramFolder(std::string windowsPath) { State().programFolder = DropTrailingBackslashes(std::move(windowsPath)); }

std::string ProgramFolder() {
  SettingsState& s = State();
  if (s.programFolder.empty()) s.programFolder = ExecutableFolder();
  return s.programFolder;
}

void ResetSettings() { State() = SettingsState{}; }

}  // namespace Settings
