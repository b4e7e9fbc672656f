// Finding programs by their Windows names, and their arguments.
#include "services/program_names.h"

#include <cstdlib>
#include <fstream>

#include "platform/files/file_io.h"
#include "platform/text/text_kit.h"

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "services/child_registry.h"

namespace ProgramNames {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Permission bits of a file's mode.
constexpr unsigned kOwnerExecute = 0100, kGroupRead = 0040, kGroupExecute = 0010, kOthersRead = 0004,
                   kOthersExecute = 0001;

bool EndsWithExe(std::string_view name) {
  return name.size() > 4 && Paths::FoldCase(name.substr(name.size() - 4)) == ".EXE";
}

// The name and its twin with ".exe" added or removed.
std::vector<std::string> WithAndWithoutExe(std::string_view name) {
  std::vector<std::string> names{std::string(name)};
  if (EndsWithExe(name)) names.emplace_back(name.substr(0, name.size() - 4));
  else names.push_back(std::string(name) + ".exe");
  return names;
}

std::string FirstBytes(const std::string& host, std::size_t count) {
  std::ifstream in(host, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

// "#!interpreter [argument]" of a script: the leading argv that runs it (empty if none).
std::vector<std::string> Interpreter(const std::string& host) {
  std::string line = FirstBytes(host, 256);
  if (!line.starts_with("#!")) return {};
  line = line.substr(2, line.find('\n') == std::string::npos ? std::string::npos : line.find('\n') - 2);
  // The line ends before its line feed, so the line blanks are space, tab and CR here.
  auto trim = [](std::string_view s) { return std::string(TextKit::TrimLineBlanks(s)); };
  line = trim(line);
  if (line.empty()) return {};
  const std::size_t blank = line.find_first_of(" \t");
  std::vector<std::string> argv{line.substr(0, blank)};
  if (blank != std::string::npos && !trim(line.substr(blank)).empty()) argv.push_back(trim(line.substr(blank)));
  return argv;
}

bool OnDriveC(const std::string& host) {
  const std::string windows = Paths::ToWindows(host);
  return windows.size() >= 2 && (windows[0] == 'c' || windows[0] == 'C') && windows[1] == ':';
}

// Decides whether the Linux file can be run: kFound (with `out` filled), or the error.
int Check(const std::string& host, Program& out) {
  FileIo::Info st;
  if (FileIo::Query(host, st) != 0) return kFileNotFound;
  if (st.kind == FileIo::Kind::Folder) return kAccessDenied;
  if (st.kind != FileIo::Kind::Regular) return kAccessDenied;
  out.host = host;
  out.leading = {host};
  if (FileIo::CheckAccess(host, FileIo::Access::Execute) == 0) return kFound;
  if (FileIo::CheckAccess(host, FileIo::Access::Read) != 0 || !OnDriveC(host)) return kAccessDenied;
  const std::string magic = FirstBytes(host, 4);
  const bool elf = magic == "\x7f" "ELF";
  const bool script = magic.starts_with("#!");
  if (!elf && !script) return kAccessDenied;
  // A program downloaded onto drive C: it runs, as it would where it came from.
  // Each class that may read it may run it: r (04) gains x (01) for group and others.
  unsigned mode = st.permissions | kOwnerExecute;
  if (st.permissions & kGroupRead) mode |= kGroupExecute;
  if (st.permissions & kOthersRead) mode |= kOthersExecute;
  if (FileIo::SetPermissions(host, mode & 07777) == 0 && FileIo::CheckAccess(host, FileIo::Access::Execute) == 0)
    return kFound;
  if (script) {
    std::vector<std::string> interpreter = Interpreter(host);
    if (!interpreter.empty() && FileIo::CheckAccess(interpreter[0], FileIo::Access::Execute) == 0) {
      out.host = interpreter[0];
      out.leading = interpreter;
      out.leading.push_back(host);
      return kFound;
    }
  }
  return kAccessDenied;
}

void Describe(std::string_view written, Program& out) {
  // The file found: the program itself, or the script its interpreter runs.
  std::string windows = Paths::ToWindows(out.leading.back());
  if (windows.empty()) windows = Cp1252::FromUtf8(out.leading.back());
  out.windowsPath = Paths::FoldCase(windows);
  if (EndsWithExe(out.windowsPath)) out.windowsPath.resize(out.windowsPath.size() - 4);
  out.keys = {ChildRegistry::ProgramKey(written), ChildRegistry::ProgramKey(windows)};
}

// Looks the Windows path (with and without ".exe") up; kFound or the error.
int FindPath(std::string_view name, Program& out) {
  int error = kFileNotFound;
  for (const std::string& candidate : WithAndWithoutExe(name)) {
    const std::string host = Paths::ToHost(candidate);
    if (host.empty()) continue;
    const int r = Check(host, out);
    if (r == kFound) return kFound;
    if (r == kAccessDenied) error = kAccessDenied;
  }
  if (error == kFileNotFound) {
    const std::size_t sep = name.find_last_of("\\/");
    if (sep != std::string_view::npos && sep > 0) {
      const std::string_view folder = name.substr(0, sep);
      if (!(folder.size() == 2 && folder[1] == ':') && !Paths::IsFolder(folder)) error = kPathNotFound;
    }
  }
  return error;
}

int FindAlongPath(std::string_view name, Program& out) {
  const char* path = std::getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::vector<std::string> bases{Cp1252::ToUtf8(name)};
  if (EndsWithExe(name)) bases.insert(bases.begin(), Cp1252::ToUtf8(name.substr(0, name.size() - 4)));
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty entry is the current folder.
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    for (const std::string& base : bases) {
      std::string host = dir;
      host += '/';
      host += base;
      if (FileIo::IsRegularFile(host) && FileIo::CheckAccess(host, FileIo::Access::Execute) == 0) {
        out.host = host;
        out.leading = {host};
        return kFound;
      }
    }
    start = end + 1;
  }
  return kFileNotFound;
}

}  // namespace

int Find(std::string_view name, Program& out) {
  name = TextKit::TrimSpacesTabs(name);
  out = Program{};
  if (name.empty() || name.find('\0') != std::string_view::npos) return kFileNotFound;
  const bool hasFolder = name.find_first_of("\\/:") != std::string_view::npos;
  int error = FindPath(name, out);
  if (error != kFound && !hasFolder && FindAlongPath(name, out) == kFound) error = kFound;
  // A Linux path written as such ("/usr/bin/mpv") is found where Linux has it.
  if (error != kFound && name.front() == '/' && Check(Cp1252::ToUtf8(name), out) == kFound) error = kFound;
  if (error != kFound) {
    out = Program{};
    return error;
  }
  Describe(name, out);
  return kFound;
}

bool IsDrivePath(std::string_view text) {
  if (text.size() < 3 || text[1] != ':' || !IsSeparator(text[2])) return false;
  const char c = text[0];
  if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  return !Paths::DriveRoot(c).empty();
}

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  for (;;) {
    while (i < n && blank(text[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n) {
      std::size_t backslashes = 0;
      while (i < n && text[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && text[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg.push_back('"');
          ++i;
        } else if (quoted && i + 1 < n && text[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      arg.append(backslashes, '\\');
      if (i >= n || (!quoted && blank(text[i]))) break;
      arg.push_back(text[i++]);
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string HostArgument(std::string_view argument) {
  std::size_t at = 0;
  if (!IsDrivePath(argument)) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos || !IsDrivePath(argument.substr(equals + 1))) return Cp1252::ToUtf8(argument);
    at = equals + 1;
  }
  const std::string host = Paths::ToHost(argument.substr(at));
  if (host.empty()) return Cp1252::ToUtf8(argument);
  return Cp1252::ToUtf8(argument.substr(0, at)) + host;
}

}  // namespace ProgramNames
