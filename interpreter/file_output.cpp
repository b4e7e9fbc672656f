// Whole-file output through a temporary file renamed into place.
#include "interpreter/file_output.h"

#include <cerrno>

#include "interpreter/file_names.h"

namespace FileOutput {

Output::~Output() { Abandon(*this); }

namespace {

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Base(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int Begin(Output& out, const std::string& hostTarget) {
  Abandon(out);
  FileIo::IgnoreFileSizeLimitSignal();
  FileIo::Info st;
  if (FileIo::Query(hostTarget, st) == 0) {
    if (st.kind == FileIo::Kind::Folder) return FileNames::kAccessDenied;
    if (const int error = FileIo::CheckAccess(hostTarget, FileIo::Access::Write)) return FileNames::WindowsError(error);
  }
  std::string temp = Folder(hostTarget) + "/." + Base(hostTarget) + ".fonix-XXXXXX";
  FileIo::File file;
  if (const int error = FileIo::CreateUnique(temp, file)) return FileNames::PathError(error, hostTarget);
  // A new file gets the permissions any other new file of the user would get.
  file.SetPermissions(FileIo::NewFilePermissions());
  out.target = hostTarget;
  out.temp = std::move(temp);
  out.file = std::move(file);
  return 0;
}

int Write(Output& out, const char* bytes, std::size_t count) {
  while (count > 0) {
    const long n = out.file.Write(bytes, count);
    if (n < 0) {
      if (n == -EINTR) continue;
      return FileNames::WindowsError(static_cast<int>(-n));
    }
    if (n == 0) return FileNames::kDiskFull;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return 0;
}

int Commit(Output& out) {
  if (!out.file.IsOpen()) return FileNames::kGeneralFailure;
  if (const int error = out.file.Close()) return FileNames::WindowsError(error);
  if (const int error = FileIo::Rename(out.temp, out.target)) return FileNames::WindowsError(error);
  out.temp.clear();
  return 0;
}

int CommitNew(Output& out) {
  if (!out.file.IsOpen()) return FileNames::kGeneralFailure;
  if (const int error = out.file.Close()) return FileNames::WindowsError(error);
  // A hard link is made only when the name is free, so an existing file is never replaced.
  if (const int error = FileIo::AddName(out.temp, out.target)) return FileNames::WindowsError(error);
  FileIo::Remove(out.temp);
  out.temp.clear();
  return 0;
}

void Abandon(Output& out) {
  out.file.Close();
  if (!out.temp.empty()) FileIo::Remove(out.temp);
  out.temp.clear();
}

long ReadSome(FileIo::File& file, char* bytes, std::size_t count) {
  for (;;) {
    const long n = file.Read(bytes, count);
    if (n != -EINTR) return n;
  }
}

}  // namespace FileOutput
