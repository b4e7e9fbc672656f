// Drive-letter paths: scripts and settings speak Windows paths ("c:\clipora-light\temp");
// this module maps them onto Linux folders, matching names without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Paths {

// Every text at this interface is Windows-1252; names on disk are UTF-8 and are converted
// here, at the file-system boundary.

// The Linux folder that stands for a drive letter (either case), without a trailing slash
// except for "/" itself; empty when the letter is not mapped. c: is FONIX_DRIVE_C (default
// ${XDG_DATA_HOME:-~/.local/share}/fonix/c), z: is FONIX_DRIVE_Z or "/", any other letter
// is FONIX_DRIVE_<letter> when set.
std::string DriveRoot(char letter);

// The absolute Windows form of a path, resolved textually: drive added, "." and ".."
// removed (never above the drive's root), separators made "\", written case kept.
// "c:\" for a drive's root; empty for an empty path or a path holding a zero byte.
std::string FullPath(std::string_view windowsPath);

// The Linux path of a Windows path. Existing components are found without regard to letter
// case (the exact name first); from the first component that does not exist on, the
// written case is kept, so new files get the name the script wrote. Empty when the path is
// invalid or its drive is not mapped.
std::string ToHost(std::string_view windowsPath);

// The Windows form of a Linux path ("c:\…" inside drive C, "z:\…" elsewhere while z: is
// "/"); empty when no drive holds it.
std::string ToWindows(std::string_view hostPath);

// The current folder (the process's working folder) as a Windows path.
std::string CurrentFolder();
// Makes a folder current; false when it is not an existing folder.
bool SetCurrentFolder(std::string_view windowsPath);

// True when the path names an existing entry (folder, file, anything).
bool Exists(std::string_view windowsPath);
bool IsFolder(std::string_view windowsPath);

// Windows upper-case folding of one Windows-1252 character: a..z and the accented letters
// of 224..254 (but ÷) become capitals, and so do š, œ, ž and ÿ.
char FoldCase(char c);
std::string FoldCase(std::string_view text);
// Two names equal without regard to letter case.
bool SameName(std::string_view a, std::string_view b);

// Windows wildcard matching of a name against a pattern: "*" any run of characters, "?"
// one character (or none before a dot or at the end), "*.*" every name (with or without
// a dot), "*." the names without a dot; letter case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view name);

inline constexpr uint32_t kAttrDirectory = 16;
inline constexpr uint32_t kAttrArchive = 32;

struct FoundFile {
  std::string name;     // bare name, Windows-1252
  uint32_t attributes;  // kAttrDirectory or kAttrArchive
  uint64_t size;        // bytes; 0 for folders
};

// The entries of a folder whose names match the last component of the pattern
// ("c:\dados\*.txt"), as a directory search returns them: "." and ".." first (except in a
// drive's root), then the others in folded-name order. Entries that are neither folders
// nor regular files (after following links) are left out.
std::vector<FoundFile> FindFiles(std::string_view windowsPattern);

// Creates the drive C tree on first start: the drive folder, c:\orbis, c:\clipora-light,
// c:\clipora-light\temp and c:\windows (existing folders, in any case, are kept).
// False when one of them could not be made.
bool EnsureDriveC();

enum class InstallMode {
  Link,         // the target becomes a symbolic link to the source (read-only data)
  LinkEntries,  // real folders, each file a link: new files can be added beside them
  Copy,         // real folders and real files (data that programs change)
};

// Puts installed data (a Linux file or folder) at a Windows target: when the target is
// missing it is made as the mode says; with LinkEntries and Copy an existing target folder
// receives only the entries it lacks, so nothing a user changed is overwritten; with
// LinkEntries a copied file that is a shorter start of the source (an install a full disk
// cut short) is placed again. Every file is made under a work name and renamed into place. Only data
// the user cannot change is ever linked: anything else (a build tree) is copied, and a link
// an earlier install made to it is replaced by a copy. False when something could not be
// made.
bool InstallData(std::string_view hostSource, std::string_view windowsTarget, InstallMode mode);

// Forgets the drive folders and the remembered current folder (tests change the
// FONIX_DRIVE_* variables between cases).
void ResetPaths();

}  // namespace Paths
