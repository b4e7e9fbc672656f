// First start: the drive C tree, and installed data linked or copied into it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/paths.h"
#include "platform/files/paths_state.h"

namespace Paths {

namespace fs = std::filesystem;

namespace {

bool MakeFolder(const std::string& host) {
  std::error_code ec;
  fs::create_directories(host, ec);
  struct stat st{};
  return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A link left by an earlier install whose data moved away counts as missing.
bool Missing(const std::string& host) {
  struct stat st{};
  if (lstat(host.c_str(), &st) != 0) return true;
  if (S_ISLNK(st.st_mode) && stat(host.c_str(), &st) != 0) return unlink(host.c_str()) == 0;
  return false;
}

// Data the running user could change (a build tree, or anything when the user is root) is
// never linked: a program writing into drive C would write through the link into it.
bool Changeable(const fs::path& source) { return access(source.c_str(), W_OK) == 0; }

// A link an earlier install made to data that can be changed.
bool LinkToChangeable(const std::string& host) {
  std::error_code ec;
  return fs::is_symlink(host, ec) && Changeable(fs::path(host));
}

// Places one file (a link or a copy) under a work name beside the target and renames it into
// place, so that a full disk or a killed process never leaves a cut file under the real name;
// an existing target is replaced in the same step.
bool PlaceFile(const fs::path& source, const std::string& target, InstallMode mode) {
  const fs::path to(target);
  const std::string work = (to.parent_path() / ("." + to.filename().string() + ".instalando-" +
                                                std::to_string(getpid()))).string();
  std::error_code ec;
  fs::remove(work, ec);
  if (mode != InstallMode::Copy && !Changeable(source)) {
    fs::create_symlink(source, work, ec);
  } else {
    fs::copy_file(source, work, ec);
    // Programs change what is copied, even when the installed file is read-only.
    if (!ec) fs::permissions(work, fs::perms::owner_write, fs::perm_options::add, ec);
    // A copy that came out short (a write the disk refused unseen) is no copy.
    std::error_code e2;
    if (!ec && fs::file_size(work, ec) != fs::file_size(source, e2)) ec = std::make_error_code(std::errc::io_error);
  }
  if (!ec && std::rename(work.c_str(), target.c_str()) == 0) return true;
  fs::remove(work, ec);
  return false;
}

// A copy of read-only data that an install cut short (a full disk) left behind: shorter than
// the source and the same bytes as its start. A file the user put in its place is no prefix
// of the source and stays.
bool CutCopy(const fs::path& source, const std::string& target) {
  struct stat to{}, from{};
  if (lstat(target.c_str(), &to) != 0 || !S_ISREG(to.st_mode) || stat(source.c_str(), &from) != 0 ||
      !S_ISREG(from.st_mode) || to.st_size >= from.st_size)
    return false;
  std::ifstream a(target, std::ios::binary), b(source, std::ios::binary);
  char x[8192], y[8192];
  for (;;) {
    a.read(x, sizeof x);
    const std::streamsize n = a.gcount();
    if (n == 0) return a.eof();
    b.read(y, n);
    if (b.gcount() != n || std::memcmp(x, y, static_cast<std::size_t>(n)) != 0) return false;
  }
}

// Gives an existing target folder every entry of the source folder it lacks.
bool Merge(const fs::path& source, const std::string& target, InstallMode mode, int depth) {
  if (depth > 64) return false;  // a link cycle inside the installed data
  std::error_code ec;
  bool ok = true;
  for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path from = it->path();
    const std::string diskName = from.filename().string();
    const std::string existing = FindEntry(target, NameFromDisk(diskName));
    std::error_code e2;  // kept apart from the iteration's own error
    const bool isFolder = fs::is_directory(from, e2);
    std::string to = JoinHost(target, existing.empty() ? diskName : existing);
    if (!existing.empty() && Missing(to)) to = JoinHost(target, diskName);
    // Made a real copy now, as it would be made today.
    if (LinkToChangeable(to) && !isFolder) unlink(to.c_str());
    if (!Missing(to)) {
      if (isFolder && fs::is_directory(to, e2) && !fs::is_symlink(to, e2))
        ok = Merge(from, to, mode, depth + 1) && ok;
      else if (!isFolder && mode == InstallMode::LinkEntries && CutCopy(from, to))
        ok = PlaceFile(from, to, mode) && ok;
      continue;
    }
    if (isFolder) ok = MakeFolder(to) && Merge(from, to, mode, depth + 1) && ok;
    else ok = PlaceFile(from, to, mode) && ok;
  }
  return ok && !ec;
}

}  // namespace

bool EnsureDriveC() {
  const std::string root = DriveRoot('c');
  if (root.empty() || !MakeFolder(root)) return false;
  bool ok = true;
  for (const char* folder : {"c:\\orbis", "c:\\clipora-light", "c:\\clipora-light\\temp", "c:\\windows"}) {
    const std::string host = ToHost(folder);
    ok = !host.empty() && MakeFolder(host) && ok;
  }
  return ok;
}

bool InstallData(std::string_view hostSource, std::string_view windowsTarget, InstallMode mode) {
  std::error_code ec;
  const fs::path source = fs::canonical(fs::path(std::string(hostSource)), ec);
  if (ec) return false;
  const std::string target = ToHost(windowsTarget);
  if (target.empty()) return false;
  const bool isFolder = fs::is_directory(source, ec);
  if (mode == InstallMode::Link && Changeable(source)) mode = InstallMode::Copy;
  if (LinkToChangeable(target)) unlink(target.c_str());  // an earlier install's link
  if (!Missing(target)) {
    if (mode == InstallMode::Link || !isFolder) return true;
    if (fs::is_symlink(target, ec)) return true;  // linked by an earlier install
    return fs::is_directory(target, ec) && Merge(source, target, mode, 0);
  }
  if (!MakeFolder(fs::path(target).parent_path().string())) return false;
  if (mode == InstallMode::Link) {
    if (isFolder) fs::create_directory_symlink(source, target, ec);
    else fs::create_symlink(source, target, ec);
    return !ec;
  }
  if (!isFolder) return PlaceFile(source, target, mode);
  return MakeFolder(target) && Merge(source, target, mode, 0);
}

}  // namespace Paths
