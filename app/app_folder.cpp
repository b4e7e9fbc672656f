// Installing the application folder and finding the user's download folder.
#include "app/app_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/text/cp1252.h"
#include "platform/files/data_places.h"
#include "platform/files/file_io.h"
#include "platform/files/paths.h"

namespace AppFolder {

namespace fs = std::filesystem;

namespace {

// A program's path on PATH, or empty.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    if (FileIo::IsRegularFile(candidate) && FileIo::CheckAccess(candidate, FileIo::Access::Execute) == 0)
      return candidate;
  }
  return {};
}

// Missing, or a link whose target went away (which is then removed).
bool Missing(const std::string& host) {
  FileIo::Info st;
  if (FileIo::QueryLink(host, st) != 0) return true;
  if (st.kind == FileIo::Kind::Link && !FileIo::Exists(host)) return FileIo::Remove(host) == 0;
  return false;
}

bool LinkTool(const std::string& windowsName, const std::string& program) {
  const std::string target = Paths::ToHost("c:\\clipora-light\\" + windowsName);
  if (target.empty()) return false;
  if (!Missing(target)) return true;
  const std::string source = FindProgram(program);
  if (source.empty()) return true;  // not installed: nothing to link
  std::error_code ec;
  fs::create_symlink(source, target, ec);
  return !ec;
}

bool CopyLauncher(const std::string& name) {
  const std::string target = Paths::ToHost("c:\\clipora-light\\" + name);
  if (target.empty()) return false;
  if (!Missing(target)) return true;
  // Placed under a work name and renamed, so a full disk never leaves half a launcher.
  if (!Paths::InstallData(DataFolder() + "/" + name, "c:\\clipora-light\\" + name, Paths::InstallMode::Copy))
    return false;
  std::error_code ec;
  fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec, ec);
  return !ec;
}

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

// XDG_DOWNLOAD_DIR="$HOME/Downloads" in user-dirs.dirs, with $HOME expanded.
std::string ConfiguredDownloadFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string folder = config != nullptr && *config != '\0' ? config : Home() + "/.config";
  std::ifstream in(folder + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("XDG_DOWNLOAD_DIR=")) continue;
    std::string value = line.substr(17);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.starts_with("$HOME")) value = Home() + value.substr(5);
    if (!value.starts_with("/")) return {};
    // The setting names the home folder itself when the user has no download folder.
    if (fs::path(value).lexically_normal() == fs::path(Home()).lexically_normal()) return {};
    return value;
  }
  return {};
}

}  // namespace

std::string DataFolder() {
  return DataPlaces::Find("FONIX_APP_DATA", "clipora-light", FONIX_APP_DATA_DIR);
}

bool Install() {
  bool ok = Paths::EnsureDriveC();
  std::error_code ec;
  if (fs::is_directory(DataFolder() + "/som", ec))
    ok = Paths::InstallData(DataFolder() + "/som", "c:\\clipora-light\\som", Paths::InstallMode::LinkEntries) && ok;
  else
    ok = false;
  ok = LinkTool("wget", "wget") && ok;
  ok = LinkTool("youtube-dl.exe", "yt-dlp") && ok;
  ok = LinkTool("ffmpeg.exe", "ffmpeg") && ok;
  ok = CopyLauncher("youtube-dl") && ok;
  ok = CopyLauncher("tocador") && ok;
  ok = CopyLauncher("executorjs") && ok;
  return ok;
}

std::string DownloadFolder() {
  std::string folder = ConfiguredDownloadFolder();
  if (folder.empty() && !Home().empty()) folder = Home() + "/Downloads";
  std::error_code ec;
  if (!folder.empty()) {
    fs::create_directories(folder, ec);
    if (!ec && fs::is_directory(folder, ec)) {
      const std::string windows = Paths::ToWindows(folder);
      if (!windows.empty()) return windows;
    }
  }
  const std::string fallback = Paths::ToHost("c:\\clipora-light\\downloads");
  if (!fallback.empty()) fs::create_directories(fallback, ec);
  return "c:\\clipora-light\\downloads";
}

}  // namespace AppFolder
