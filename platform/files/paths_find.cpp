// Directory search: the entries of a folder that match a wildcard pattern, with the
// attributes and sizes a Windows search reports.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/files/paths.h"
#include "platform/files/paths_state.h"

namespace Paths {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Describe(const std::string& hostPath, FoundFile& f) {
  struct stat st{};
  if (stat(hostPath.c_str(), &st) != 0) return false;  // also a dangling link
  if (S_ISDIR(st.st_mode)) {
    f.attributes = kAttrDirectory;
    f.size = 0;
    return true;
  }
  if (!S_ISREG(st.st_mode)) return false;
  f.attributes = kAttrArchive;
  f.size = static_cast<uint64_t>(st.st_size);
  return true;
}

}  // namespace

std::vector<FoundFile> FindFiles(std::string_view windowsPattern) {
  // "c:\dados\" names no entry, as on Windows.
  if (windowsPattern.empty() || IsSeparator(windowsPattern.back())) return {};
  const std::string full = FullPath(windowsPattern);
  if (full.size() <= 3) return {};
  const std::size_t sep = full.rfind('\\');
  const std::string folder = full.substr(0, sep == 2 ? 3 : sep);
  const std::string pattern = full.substr(sep + 1);
  const std::string host = ToHost(folder);
  if (host.empty()) return {};
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(host.c_str()), closedir);
  if (!dir) return {};

  std::vector<FoundFile> dots, found;
  if (folder.size() > 3) {  // a drive's root has no "." and ".." entries
    for (const char* d : {".", ".."}) {
      FoundFile f{d, 0, 0};
      if (WildcardMatch(pattern, d) && Describe(JoinHost(host, d), f)) dots.push_back(f);
    }
  }
  while (const dirent* e = readdir(dir.get())) {
    const std::string_view disk(e->d_name);
    if (disk == "." || disk == "..") continue;
    FoundFile f{NameFromDisk(disk), 0, 0};
    if (WildcardMatch(pattern, f.name) && Describe(JoinHost(host, disk), f)) found.push_back(std::move(f));
  }
  std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
    const std::string fa = FoldCase(a.name), fb = FoldCase(b.name);
    return fa != fb ? fa < fb : a.name < b.name;
  });
  dots.insert(dots.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  return dots;
}

}  // namespace Paths
