// Script file names onto Linux paths, and Linux errors onto the Windows numbers scripts know.
#include "interpreter/file_names.h"

#include <cerrno>

#include "platform/files/file_io.h"
#include "platform/files/paths.h"

namespace FileNames {

int WindowsError(int errnum) {
  switch (errnum) {
    case 0: return 0;
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ELOOP: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR: return kAccessDenied;
    case EROFS: return kWriteProtected;
    case EBUSY:
    case ETXTBSY: return kInUse;
    case EEXIST: return kAlreadyExists;
    case ENOTEMPTY: return kDirectoryNotEmpty;
    case EINVAL: return kInvalidParameter;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kDiskFull;
    case ENAMETOOLONG: return kNameTooLong;
    case EIO: return kIoDevice;
    default: return kGeneralFailure;
  }
}

int PathError(int errnum, const std::string& hostPath) {
  if (errnum == ENOENT) {
    const std::size_t slash = hostPath.rfind('/');
    const std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
    FileIo::Info st;
    if (slash != std::string::npos && (FileIo::Query(folder, st) != 0 || st.kind != FileIo::Kind::Folder))
      return kPathNotFound;
  }
  return WindowsError(errnum);
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Checks each component as Windows checks a file name.
bool ValidName(std::string_view name, bool wildcards) {
  if (name.empty()) return false;
  std::size_t start = 0;
  if (name.size() >= 2 && name[1] == ':') start = 2;  // the drive
  std::size_t lastSeparator = std::string_view::npos;
  for (std::size_t i = start; i < name.size(); ++i)
    if (IsSeparator(name[i])) lastSeparator = i;
  for (std::size_t i = start; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == ':') return false;
    const bool inLast = lastSeparator == std::string_view::npos || i > lastSeparator;
    if ((c == '?' || c == '*') && !(wildcards && inLast)) return false;
  }
  return true;
}

}  // namespace

int HostPath(std::string_view name, std::string& host, bool wildcards) {
  host.clear();
  if (!ValidName(name, wildcards)) return kInvalidName;
  host = Paths::ToHost(name);
  if (host.empty()) return kPathNotFound;
  return 0;
}

}  // namespace FileNames
