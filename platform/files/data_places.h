// Where the runtime's read-only data is found: a FONIX_*_DATA variable when set, else the
// installation beside the executable (<prefix>/bin → <prefix>/share/fonix), else the
// folder the build wrote it to, so one binary works installed and in its build tree.
#pragma once

#include <string>
#include <string_view>

namespace DataPlaces {

struct State {
  // The folder of the running executable; empty until first asked (tests set it).
  std::string executableFolder;
};
State& Current();
void Reset();

// The folder of the running executable (from /proc/self/exe), or empty.
std::string ExecutableFolder();

// The installation's data root, <executable folder>/../share/fonix, normalised; empty
// when the executable has no folder.
std::string InstalledRoot();

// The folder of one kind of data: the variable envName when set and not empty (taken as
// it is, so a wrong value shows as missing data); else InstalledRoot()/installedName when
// that is a folder; else builtAt (the build tree's folder, compiled in).
std::string Find(const char* envName, std::string_view installedName, std::string_view builtAt);

}  // namespace DataPlaces
