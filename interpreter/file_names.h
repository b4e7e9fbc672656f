// The file names of scripts on the Linux file system: a Windows-1252 drive path checked as
// Windows checks a name and turned into its Linux path, and the Windows error numbers that
// scripts see for the errors Linux reports.
#pragma once

#include <string>
#include <string_view>

namespace FileNames {

// Windows error numbers, so that scripts written for Windows keep working. The status
// code also uses 1 for the end of a file.
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kWriteProtected = 19;
inline constexpr int kGeneralFailure = 31;
inline constexpr int kInUse = 32;
inline constexpr int kFileExists = 80;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kDiskFull = 112;
inline constexpr int kInvalidName = 123;
inline constexpr int kDirectoryNotEmpty = 145;
inline constexpr int kAlreadyExists = 183;
inline constexpr int kNameTooLong = 206;
inline constexpr int kIoDevice = 1117;
// Pascal text-file errors of the original runtime: a channel read while open for writing,
// written while open for reading.
inline constexpr int kNotOpenForInput = 104;
inline constexpr int kNotOpenForOutput = 105;

// The Windows number of a Linux errno value.
int WindowsError(int errnum);
// The same for an error on a path, where a missing folder on the way is "path not found"
// (3) rather than "file not found" (2).
int PathError(int errnum, const std::string& hostPath);

// The Linux path of a script's file name. 0 on success, else the Windows error: an empty
// name or one Windows refuses (control characters, < > " | ? *, a ":" that is not the
// drive's) gives 123, an unmapped drive 3. With `wildcards`, "?" and "*" are allowed in
// the last component (search patterns).
int HostPath(std::string_view name, std::string& host, bool wildcards = false);


}  // namespace FileNames
