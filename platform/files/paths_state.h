// Internals shared by the files of the path module: its state and the name lookup that
// every resolution step uses.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace Paths {

struct PathsState {
  bool rootsLoaded = false;
  std::array<std::string, 26> roots;  // Linux folder of each drive letter; empty: unmapped
  // The current folder as it was last set, with the Linux folder it became; kept so that a
  // folder reached through a link is still reported on its drive.
  std::string currentWindows;
  std::string currentHost;
};

PathsState& State();

// The name of the entry of a Linux folder that a Windows-1252 name stands for: the exact
// name when it exists, else the first (in byte order) whose name is the same without
// regard to case. Empty when there is none.
std::string FindEntry(const std::string& hostFolder, std::string_view name);

// hostFolder + "/" + name, without doubling the slash of "/".
std::string JoinHost(const std::string& hostFolder, std::string_view name);

// Windows-1252 text of a name read from disk: UTF-8 names are converted (characters the
// code page lacks become "?"), other names are taken byte for byte.
std::string NameFromDisk(std::string_view diskName);

}  // namespace Paths
