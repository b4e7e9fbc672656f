// Finding the runtime's read-only data: variable, installation beside the executable, build tree.
#include "platform/files/data_places.h"

#include <cstdlib>
#include <filesystem>

namespace DataPlaces {

namespace fs = std::filesystem;

State& Current() {
  static State state;
  return state;
}

void Reset() { Current() = State{}; }

std::string ExecutableFolder() {
  State& state = Current();
  if (state.executableFolder.empty()) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) state.executableFolder = self.parent_path().string();
  }
  return state.executableFolder;
}

std::string InstalledRoot() {
  const std::string folder = ExecutableFolder();
  if (folder.empty()) return {};
  return (fs::path(folder) / ".." / "share" / "fonix").lexically_normal().string();
}

std::string Find(const char* envName, std::string_view installedName, std::string_view builtAt) {
  if (const char* env = std::getenv(envName); env != nullptr && *env != '\0') return env;
  const std::string root = InstalledRoot();
  if (!root.empty()) {
    const fs::path installed = fs::path(root) / std::string(installedName);
    std::error_code ec;
    if (fs::is_directory(installed, ec)) return installed.string();
  }
  return std::string(builtAt);
}

}  // namespace DataPlaces
