// The text encoding commands: Base64 of a variable or a file, quoted-printable, UTF-8 to
// and from the ANSI code page. The variable forms change the variable in place.
#include <memory>
#include <string>

#include "interpreter/commands.h"
#include "interpreter/encodings.h"
#include "interpreter/file_names.h"
#include "interpreter/file_output.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/files/file_io.h"

namespace {

// The in-place form: the operand is read as a value and converted, then read again from
// the same text as the variable that receives the result; a literal fails there.
template <typename Convert>
bool InPlace(std::string_view args, Convert convert) {
  std::string_view operand = args;
  std::string value;
  if (!Values::ReadValue(operand, value)) return false;
  std::string result = convert(value);
  int code;
  operand = args;
  if (!Values::ReadVariableRef(operand, code)) return false;
  Variables::SetVariable(code, std::move(result));
  return true;
}

// Source and destination of the file forms, as Linux paths; the source must be a file.
bool FileOperands(std::string_view args, std::string& source, std::string& target) {
  std::string from, to;
  if (!Values::ReadValue(args, from) || !Values::ReadValue(args, to)) return false;
  return FileNames::HostPath(from, source) == 0 && FileNames::HostPath(to, target) == 0;
}

}  // namespace

namespace Commands {

bool Codbase64(std::string_view args) { return InPlace(args, Encodings::Base64Encode); }

bool Decodbase64(std::string_view args) { return InPlace(args, Encodings::Base64Decode); }

bool Removequoted(std::string_view args) { return InPlace(args, Encodings::QuotedDecode); }

bool Adquoted(std::string_view args) { return InPlace(args, Encodings::QuotedEncode); }

bool Utf8paraansi(std::string_view args) {
  return InPlace(args, [](const std::string& value) {
    std::string out;
    Encodings::Utf8ToAnsi(value, out);  // malformed UTF-8 gives the empty text
    return out;
  });
}

bool Ansiparautf8(std::string_view args) { return InPlace(args, Encodings::AnsiToUtf8); }

bool Codarqbase64(std::string_view args) {
  std::string source, target;
  if (!FileOperands(args, source, target)) return false;
  FileIo::File in;
  if (in.Open(source, FileIo::Mode::Read) != 0) return false;
  FileOutput::Output out;
  if (FileOutput::Begin(out, target) != 0) return false;
  // Lines of 64 characters come from 48 bytes each; the block keeps whole lines together.
  constexpr std::size_t kLineBytes = 48;
  char block[1024];
  std::string pending;  // bytes not yet encoded (fewer than a line's)
  std::string text;
  for (;;) {
    const long n = FileOutput::ReadSome(in, block, sizeof block);
    if (n < 0) return false;  // a folder, or a read error
    pending.append(block, static_cast<std::size_t>(n));
    const bool last = n == 0;
    std::size_t used = 0;
    text.clear();
    while (pending.size() - used >= kLineBytes || (last && used < pending.size())) {
      const std::size_t take = std::min(kLineBytes, pending.size() - used);
      text += Encodings::Base64Encode(std::string_view(pending).substr(used, take));
      text += "\r\n";
      used += take;
    }
    pending.erase(0, used);
    if (!text.empty() && FileOutput::Write(out, text.data(), text.size()) != 0) return false;
    if (last) break;
  }
  return FileOutput::Commit(out) == 0;
}

bool Decodarqbase64(std::string_view args) {
  std::string source, target;
  if (!FileOperands(args, source, target)) return false;
  FileIo::File in;
  if (in.Open(source, FileIo::Mode::Read) != 0) return false;
  FileOutput::Output out;
  if (FileOutput::Begin(out, target) != 0) return false;
  Encodings::Base64Decoder decoder;
  char block[1024];
  std::string bytes;
  while (!decoder.ended) {  // the first "=" ends the text
    const long n = FileOutput::ReadSome(in, block, sizeof block);
    if (n < 0) return false;
    if (n == 0) break;
    bytes.clear();
    Encodings::Base64Feed(decoder, std::string_view(block, static_cast<std::size_t>(n)), bytes);
    if (!bytes.empty() && FileOutput::Write(out, bytes.data(), bytes.size()) != 0) return false;
  }
  bytes.clear();
  Encodings::Base64Finish(decoder, bytes);
  if (!bytes.empty() && FileOutput::Write(out, bytes.data(), bytes.size()) != 0) return false;
  return FileOutput::Commit(out) == 0;
}

}  // namespace Commands
