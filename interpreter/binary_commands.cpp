// The binary-file commands: CRIABIN, ESCREVEBYTE, LEBYTE, GRAVABYTES, LIMPABYTES, FECHABIN.
#include <cerrno>
#include <string>

#include "interpreter/byte_buffer.h"
#include "interpreter/commands.h"
#include "interpreter/file_names.h"
#include "interpreter/values.h"
#include "platform/files/file_io.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace ByteBuffer {

BytesState& State() {
  static BytesState state;
  return state;
}

bool Reserve(std::size_t more) {
  BytesState& s = State();
  if (more > kCapacity - s.count) return false;
  if (!s.bytes) s.bytes = std::make_unique_for_overwrite<char[]>(kCapacity);
  return true;
}

void ResetBytes() {
  BytesState& s = State();
  s.file.Close();
  s = BytesState{};
}

}  // namespace ByteBuffer

namespace {

using ByteBuffer::State;

void BufferFull() { Speech::WriteLineAndSpeak("Memória de bytes cheia (máximo 134217728 bytes)"_cp); }

}  // namespace

namespace Commands {

bool Criabin(std::string_view args) {
  ByteBuffer::BytesState& s = State();
  std::string name;
  if (!Values::ReadValue(args, name) || s.file.IsOpen()) return false;
  std::string host;
  if (FileNames::HostPath(name, host) != 0) return false;
  FileIo::Info st;
  if (FileIo::QueryLink(host, st) == 0) return false;  // an existing file is never overwritten
  FileIo::IgnoreFileSizeLimitSignal();
  FileIo::File file;
  if (file.Open(host, FileIo::Mode::CreateNew) != 0) {
    Speech::WriteLineAndSpeak(std::string("Erro na criação do arquivo "_cp) + name);
    return false;
  }
  s.file = std::move(file);
  s.name = std::move(name);
  return true;
}

bool Escrevebyte(std::string_view args) {
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  if (value.empty()) return true;
  if (!ByteBuffer::Reserve(value.size())) {
    BufferFull();
    return false;
  }
  ByteBuffer::BytesState& s = State();
  value.copy(s.bytes.get() + s.count, value.size());
  s.count += value.size();
  return true;
}

bool Lebyte(std::string_view args) {
  ByteBuffer::BytesState& s = State();
  std::string name, fromText, toText;
  if (!Values::ReadValue(args, name) || !Values::ReadValue(args, fromText) || !Values::ReadValue(args, toText))
    return false;
  if (s.count == ByteBuffer::kCapacity) return false;
  const auto from = Values::NumericValue(fromText);
  const auto to = Values::NumericValue(toText);
  if (!from || !to || *from < 0 || *from > *to) return false;
  std::string host;
  if (FileNames::HostPath(name, host) != 0) return false;
  FileIo::File file;
  if (file.Open(host, FileIo::Mode::Read) != 0) return false;
  FileIo::Info st;
  const bool usable = file.Query(st) == 0 && st.kind == FileIo::Kind::Regular && st.size <= ByteBuffer::kCapacity &&
                      static_cast<uint64_t>(*from) < st.size;
  std::size_t want = *from == *to ? 1 : static_cast<std::size_t>(*to - *from);
  const std::size_t available = static_cast<std::size_t>(usable ? st.size - static_cast<uint64_t>(*from) : 0);
  if (want > available) want = available;  // only the bytes the file holds are read
  bool ok = usable;
  if (ok && want > 0 && !ByteBuffer::Reserve(want)) {
    BufferFull();
    ok = false;
  }
  std::size_t got = 0;
  while (ok && got < want) {
    const long n = file.ReadAt(s.bytes.get() + s.count + got, want - got, static_cast<uint64_t>(*from) + got);
    if (n == -EINTR) continue;
    if (n <= 0) break;  // the file shrank or cannot be read: what was read is kept
    got += static_cast<std::size_t>(n);
  }
  file.Close();
  if (!ok) return false;
  s.count += got;
  return true;
}

bool Gravabytes(std::string_view) {
  ByteBuffer::BytesState& s = State();
  if (!s.file.IsOpen()) return false;
  const int64_t start = s.file.Position();
  std::size_t done = 0;
  int error = 0;
  while (done < s.count) {
    const long n = s.file.Write(s.bytes.get() + done, s.count - done);
    if (n == -EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? static_cast<int>(-n) : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (error != 0) {
    // The part written is taken back and the bytes stay in the buffer for another try.
    if (start >= 0 && s.file.Truncate(static_cast<uint64_t>(start)) == 0) s.file.Seek(static_cast<uint64_t>(start));
    Speech::WriteLineAndSpeak("Erro na escrita de arquivo " + s.name);
    return false;
  }
  s.count = 0;
  return true;
}

bool Limpabytes(std::string_view) {
  // The bytes past the fill count are never read again, so giving the memory back is as
  // good as zeroing it, and leaves an idle program small.
  ByteBuffer::BytesState& s = State();
  s.bytes.reset();
  s.count = 0;
  return true;
}

bool Fechabin(std::string_view) {
  ByteBuffer::BytesState& s = State();
  if (!s.file.IsOpen()) return false;
  const int result = s.file.Close();
  s.name.clear();
  if (result != 0 && result != EINTR) {
    Speech::WriteLineAndSpeak("Erro no fechamento do arquivo");
    return false;
  }
  return true;
}

}  // namespace Commands
