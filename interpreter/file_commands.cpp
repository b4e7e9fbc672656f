// The whole-file and folder commands: REMOVE, RENOMEIA, REPLICA, DIR, TAMARQ and HTAMARQ.
// A trailing "&" makes a failed file operation count as success, without a message.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>

#include "interpreter/commands.h"
#include "interpreter/file_names.h"
#include "interpreter/file_output.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "platform/text/decimal_separator.h"
#include "platform/files/file_io.h"
#include "platform/files/paths.h"
#include "speech/speech.h"

namespace {

void Say(std::string_view message, std::string_view name) {
  std::string line(message);
  line += name;
  Speech::WriteLineAndSpeak(line);
}

// Reads exactly two values; nothing may follow them.
bool ReadTwoNames(std::string_view args, std::string& first, std::string& second) {
  return Values::ReadValue(args, first) && Values::ReadValue(args, second) && args.empty();
}

int Unlink(std::string_view name) {
  std::string host;
  if (const int error = FileNames::HostPath(name, host)) return error;
  FileIo::Info st;
  if (FileIo::QueryLink(host, st) == 0 && st.kind == FileIo::Kind::Folder) return FileNames::kAccessDenied;
  const int error = FileIo::Remove(host);
  return error == 0 ? 0 : FileNames::PathError(error, host);
}

enum class CopyStep { Done, OpenSource, CreateTarget, Read, Write };

struct CopyResult {
  CopyStep step;
  int error;
};

// Copies a file byte for byte in blocks of 30 000 bytes; the destination is replaced only
// when the whole source was copied (or, with `newOnly`, made only when it did not exist).
CopyResult CopyFile(const std::string& sourcePath, const std::string& target, bool newOnly) {
  FileIo::File in;
  if (const int error = in.Open(sourcePath, FileIo::Mode::Read))
    return {CopyStep::OpenSource, FileNames::PathError(error, sourcePath)};
  FileIo::Info st;
  if (in.Query(st) != 0 || st.kind == FileIo::Kind::Folder) return {CopyStep::OpenSource, FileNames::kAccessDenied};
  FileOutput::Output out;
  if (const int error = FileOutput::Begin(out, target)) return {CopyStep::CreateTarget, error};
  constexpr std::size_t kBlock = 30000;
  const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
  for (;;) {
    const long n = FileOutput::ReadSome(in, block.get(), kBlock);
    if (n < 0) return {CopyStep::Read, FileNames::WindowsError(static_cast<int>(-n))};
    if (n == 0) break;
    if (const int error = FileOutput::Write(out, block.get(), static_cast<std::size_t>(n)))
      return {CopyStep::Write, error};
  }
  const int error = newOnly ? FileOutput::CommitNew(out) : FileOutput::Commit(out);
  if (error != 0) return {newOnly ? CopyStep::CreateTarget : CopyStep::Write, error};
  return {CopyStep::Done, 0};
}

// Renames a file or folder as Windows does: the new name must be free (a name that
// differs only in letter case from the old one renames the same file), and a file may move
// to another drive.
int Rename(std::string_view oldName, std::string_view newName) {
  std::string from, to;
  if (const int error = FileNames::HostPath(oldName, from)) return error;
  if (const int error = FileNames::HostPath(newName, to)) return error;
  FileIo::Info a, b;
  if (const int error = FileIo::QueryLink(from, a)) return FileNames::PathError(error, from);
  if (FileIo::QueryLink(to, b) == 0) {
    if (a.device != b.device || a.inode != b.inode) return FileNames::kAlreadyExists;
    // The same file under another case: it takes the name as written.
    const std::size_t sep = newName.find_last_of("\\/");
    const std::string written = Cp1252::ToUtf8(sep == std::string_view::npos ? newName : newName.substr(sep + 1));
    to = to.substr(0, to.rfind('/') + 1) + written;
    if (to == from) return 0;
    return FileNames::WindowsError(FileIo::Rename(from, to));
  }
  int error = FileIo::RenameNoReplace(from, to);
  if (error == 0) return 0;
  if (error == EINVAL || error == ENOSYS) {  // a file system without the no-replace rename
    if (FileIo::QueryLink(to, b) == 0) return FileNames::kAlreadyExists;
    error = FileIo::Rename(from, to);
    if (error == 0) return 0;
  }
  if (error != EXDEV || a.kind != FileIo::Kind::Regular) return FileNames::PathError(error, to);
  // Another drive: the file is copied, then the original removed.
  const CopyResult copy = CopyFile(from, to, true);
  if (copy.step != CopyStep::Done) return copy.error;
  if (const int unlinkError = FileIo::Remove(from)) {
    FileIo::Remove(to);
    return FileNames::WindowsError(unlinkError);
  }
  return 0;
}

// The size of an existing file (not a folder); false when there is none.
bool FileSize(std::string_view name, uint64_t& size) {
  std::string host;
  if (FileNames::HostPath(name, host) != 0) return false;
  FileIo::Info st;
  if (FileIo::Query(host, st) != 0 || st.kind == FileIo::Kind::Folder) return false;
  size = st.size;
  return true;
}

// Reads the file name and the variable of TAMARQ and HTAMARQ and the file's size.
bool SizeOperands(std::string_view args, int& code, uint64_t& size) {
  std::string name;
  if (!Values::ReadValue(args, name) || !Values::ReadVariableRef(args, code)) return false;
  if (!FileSize(name, size)) {
    Say("Erro na abertura do arquivo ", name);
    return false;
  }
  return true;
}

}  // namespace

namespace Commands {

bool Remove(std::string_view args) {
  const bool lenient = Values::TakeTrailingAmpersand(args);
  std::string name;
  if (!Values::ReadValue(args, name) || name.empty()) return false;
  if (Unlink(name) != 0 && !lenient) {
    Say("Erro no apagamento do arquivo ", name);
    return false;
  }
  return true;
}

bool Renomeia(std::string_view args) {
  const bool lenient = Values::TakeTrailingAmpersand(args);
  std::string oldName, newName;
  if (!ReadTwoNames(args, oldName, newName)) return false;
  return Rename(oldName, newName) == 0 || lenient;
}

bool Replica(std::string_view args) {
  const bool lenient = Values::TakeTrailingAmpersand(args);
  std::string source, target;
  if (!ReadTwoNames(args, source, target)) return false;
  std::string from, to;
  if (FileNames::HostPath(source, from) != 0) return lenient;
  if (FileNames::HostPath(target, to) != 0) return lenient;
  const CopyResult result = CopyFile(from, to, false);
  if (result.step == CopyStep::Done || lenient) return true;
  if (result.step == CopyStep::Read) Say("Erro no processamento de arquivo ", source);
  if (result.step == CopyStep::Write) Say("Erro na escrita de arquivo ", target);
  return false;
}

bool Dir(std::string_view args) {
  const bool lenient = Values::TakeTrailingAmpersand(args);
  enum class Op { Create, Remove, Change } op;
  if (Text::StartsWithFolded(args, "CRIA ")) op = Op::Create;
  else if (Text::StartsWithFolded(args, "REMOVE ")) op = Op::Remove;
  else if (Text::StartsWithFolded(args, "TROCA ")) op = Op::Change;
  else return false;
  args = Text::Trim(args.substr(args.find(' ') + 1));
  std::string name;
  if (!Values::ReadValue(args, name) || !args.empty()) return false;
  std::string host;
  bool done = FileNames::HostPath(name, host) == 0;
  if (done && op == Op::Create) done = FileIo::MakeFolder(host) == 0;
  if (done && op == Op::Remove) done = FileIo::RemoveFolder(host) == 0;
  if (done && op == Op::Change) done = Paths::SetCurrentFolder(name);
  if (!done && !lenient) {
    Say("Erro no processamento do diretório "_cp, name);
    return false;
  }
  return true;
}

bool Tamarq(std::string_view args) {
  int code;
  uint64_t size;
  if (!SizeOperands(args, code, size)) return false;
  Variables::SetVariable(code, std::to_string(size));
  return true;
}

bool Htamarq(std::string_view args) {
  int code;
  uint64_t size;
  if (!SizeOperands(args, code, size)) return false;
  double x = static_cast<double>(size);
  int unit = 0;
  while (x >= 1024) {
    x /= 1024;
    ++unit;
  }
  // Halves round away from zero, as the number formatting of Windows programs does
  // (1152 bytes are 1,13KB).
  x = std::round(x * 100) / 100;
  char digits[64];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, x, std::chars_format::fixed, 2);
  std::string text(digits, ec == std::errc() ? end : digits);
  if (const std::size_t dot = text.find('.'); dot != std::string::npos) text[dot] = Locale::DecimalSeparator();
  static constexpr const char* kUnits[] = {" B", "KB", " MB", "GB", " TB"};
  if (unit < 5) text += kUnits[unit];
  Variables::SetVariable(code, std::move(text));
  return true;
}

}  // namespace Commands
