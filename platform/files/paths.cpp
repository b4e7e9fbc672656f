// Drive letters onto Linux folders: full Windows paths, their Linux form and back, and the
// current folder.
#include "platform/files/paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/files/paths_state.h"

namespace Paths {

PathsState& State() {
  static PathsState state;
  return state;
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HostCurrent() {
  std::error_code ec;
  const auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

// "/a/./b/../c/" -> "/a/c"; relative paths are taken from the working folder.
std::string NormalHost(std::string_view path) {
  std::string abs(path);
  if (abs.empty() || abs[0] != '/') abs = HostCurrent() + "/" + abs;
  std::vector<std::string_view> parts;
  std::string_view rest(abs);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (auto part : parts) out.append("/").append(part);
  return out.empty() ? "/" : out;
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
  }
  return home.empty() ? "/" : home;
}

std::string DefaultDriveC() {
  std::string data = Env("XDG_DATA_HOME");
  if (data.empty() || data[0] != '/') data = HomeFolder() + "/.local/share";  // XDG: absolute only
  return data + "/fonix/c";
}

void LoadRoots() {
  PathsState& s = State();
  if (s.rootsLoaded) return;
  for (int i = 0; i < 26; ++i) {
    const std::string var = std::string("FONIX_DRIVE_") + static_cast<char>('A' + i);
    std::string root = Env(var.c_str());
    if (root.empty() && i == 'C' - 'A') root = DefaultDriveC();
    if (root.empty() && i == 'Z' - 'A') root = "/";
    s.roots[i] = root.empty() ? std::string() : NormalHost(root);
  }
  s.rootsLoaded = true;
}

int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

bool HasDrive(std::string_view p) { return p.size() >= 2 && DriveIndex(p[0]) >= 0 && p[1] == ':'; }

// The path below its root, if `path` is `root` or inside it ("" for the root itself).
bool Below(const std::string& root, const std::string& path, std::string& rest) {
  if (root == "/") {
    rest = path.substr(1);
    return true;
  }
  if (path.compare(0, root.size(), root) != 0) return false;
  if (path.size() == root.size()) {
    rest.clear();
    return true;
  }
  if (path[root.size()] != '/') return false;
  rest = path.substr(root.size() + 1);
  return true;
}

std::string Canonical(const std::string& path) {
  std::error_code ec;
  const auto p = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

struct Resolution {
  std::string host;
  std::string windows;  // with the case found on disk
};

// Walks the components of a full path from its drive's root, matching each existing one
// without regard to case.
bool Resolve(std::string_view windowsPath, Resolution& out) {
  const std::string full = FullPath(windowsPath);
  if (full.empty()) return false;
  std::string host = DriveRoot(full[0]);
  if (host.empty()) return false;
  std::string windows = full.substr(0, 3);
  bool present = true;
  std::string_view rest = std::string_view(full).substr(3);
  while (!rest.empty()) {
    const std::size_t sep = rest.find('\\');
    const std::string_view name = rest.substr(0, sep);
    rest = sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 1);
    std::string disk = present ? FindEntry(host, name) : std::string();
    if (disk.empty()) {
      present = false;
      disk = Cp1252::ToUtf8(name);
    }
    host = JoinHost(host, disk);
    if (windows.size() > 3) windows += '\\';
    windows += present ? NameFromDisk(disk) : std::string(name);
  }
  out.host = std::move(host);
  out.windows = std::move(windows);
  return true;
}

}  // namespace

std::string JoinHost(const std::string& hostFolder, std::string_view name) {
  std::string out = hostFolder;
  if (out.empty() || out.back() != '/') out += '/';
  out.append(name);
  return out;
}

std::string NameFromDisk(std::string_view diskName) { return Cp1252::FromFileText(diskName); }

std::string FindEntry(const std::string& hostFolder, std::string_view name) {
  if (name.empty()) return {};
  struct stat st{};
  const std::string exact = Cp1252::ToUtf8(name);
  if (lstat(JoinHost(hostFolder, exact).c_str(), &st) == 0) return exact;
  // A folder written by a Windows-1252 program may hold names that are not UTF-8.
  if (exact != name && lstat(JoinHost(hostFolder, name).c_str(), &st) == 0) return std::string(name);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(hostFolder.c_str()), closedir);
  if (!dir) return {};
  std::string best;
  while (const dirent* e = readdir(dir.get())) {
    const std::string_view disk(e->d_name);
    if (disk == "." || disk == "..") continue;
    std::string text = NameFromDisk(disk);
    // A UTF-8 name with characters the code page lacks cannot be what a script wrote.
    if (Cp1252::IsUtf8(disk) && Cp1252::ToUtf8(text) != disk) continue;
    if (SameName(text, name) && (best.empty() || disk < best)) best = disk;
  }
  return best;
}

std::string DriveRoot(char letter) {
  const int i = DriveIndex(letter);
  if (i < 0) return {};
  LoadRoots();
  return State().roots[i];
}

std::string FullPath(std::string_view p) {
  if (p.empty() || p.find('\0') != std::string_view::npos) return {};
  std::string base;  // an absolute Windows path the rest is relative to
  std::string_view rest;
  if (HasDrive(p)) {
    const char drive = static_cast<char>(DriveIndex(p[0]) + 'a');
    rest = p.substr(2);
    base = std::string(1, drive) + ":\\";
    if (rest.empty() || !IsSeparator(rest[0])) {  // "c:dados": relative on that drive
      const std::string cur = CurrentFolder();
      if (!cur.empty() && cur[0] == drive) base = cur;
    }
  } else {
    const std::string cur = CurrentFolder();
    if (cur.empty()) return {};
    base = IsSeparator(p[0]) ? cur.substr(0, 3) : cur;
    rest = p;
  }
  std::vector<std::string> parts;
  auto add = [&parts](std::string_view text) {
    while (!text.empty()) {
      std::size_t sep = 0;
      while (sep < text.size() && !IsSeparator(text[sep])) ++sep;
      const std::string_view part = text.substr(0, sep);
      text = sep < text.size() ? text.substr(sep + 1) : std::string_view();
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();  // never above the drive's root
        continue;
      }
      parts.emplace_back(part);
    }
  };
  add(std::string_view(base).substr(3));
  add(rest);
  std::string out = base.substr(0, 3);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

std::string ToHost(std::string_view windowsPath) {
  Resolution r;
  return Resolve(windowsPath, r) ? r.host : std::string();
}

std::string ToWindows(std::string_view hostPath) {
  if (hostPath.empty() || hostPath.find('\0') != std::string_view::npos) return {};
  LoadRoots();
  const std::string lexical = NormalHost(hostPath);
  const std::string canonical = Canonical(lexical);
  int best = -1;
  std::size_t bestLength = 0;
  std::string bestRest;
  for (int i = 0; i < 26; ++i) {
    const std::string& root = State().roots[i];
    if (root.empty()) continue;
    const std::string realRoot = Canonical(root);
    std::string rest;
    for (const auto& [r, path] : {std::pair{&root, &lexical}, std::pair{&realRoot, &canonical}}) {
      if (Below(*r, *path, rest) && (best < 0 || r->size() > bestLength)) {
        best = i;
        bestLength = r->size();
        bestRest = rest;
      }
    }
  }
  if (best < 0) return {};
  std::string out = std::string(1, static_cast<char>('a' + best)) + ":\\";
  std::string_view rest(bestRest);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    if (out.size() > 3) out += '\\';
    out += NameFromDisk(rest.substr(0, slash));
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return out;
}

std::string CurrentFolder() {
  PathsState& s = State();
  const std::string host = HostCurrent();
  if (host.empty()) return {};
  if (!s.currentWindows.empty() && s.currentHost == host) return s.currentWindows;
  // The shell's logical folder keeps a drive folder reached through a link on its drive.
  const std::string pwd = Env("PWD");
  struct stat a{}, b{};
  if (!pwd.empty() && pwd[0] == '/' && stat(pwd.c_str(), &a) == 0 && stat(host.c_str(), &b) == 0 &&
      a.st_dev == b.st_dev && a.st_ino == b.st_ino) {
    if (std::string w = ToWindows(pwd); !w.empty()) {
      s.currentWindows = w;
      s.currentHost = host;
      return w;
    }
  }
  std::string w = ToWindows(host);
  if (!w.empty()) {  // remembered: relative paths ask for it at every resolution
    s.currentWindows = w;
    s.currentHost = host;
  }
  return w;
}

bool SetCurrentFolder(std::string_view windowsPath) {
  Resolution r;
  if (!Resolve(windowsPath, r)) return false;
  struct stat st{};
  if (stat(r.host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (chdir(r.host.c_str()) != 0) return false;
  PathsState& s = State();
  s.currentWindows = r.windows;
  s.currentHost = HostCurrent();
  return true;
}

bool Exists(std::string_view windowsPath) {
  const std::string host = ToHost(windowsPath);
  struct stat st{};
  return !host.empty() && stat(host.c_str(), &st) == 0;
}

bool IsFolder(std::string_view windowsPath) {
  const std::string host = ToHost(windowsPath);
  struct stat st{};
  return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ResetPaths() { State() = PathsState{}; }

}  // namespace Paths
