// The web download: the request loop with its redirects and resume, the bounded reading of
// an answer's head, the block loop that writes the body and answers the keys, and the
// whole-page fetch for pages without length.
#include "interpreter/web_download.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/download_progress.h"
#include "interpreter/file_output.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/files/file_io.h"
#include "platform/files/paths.h"
#include "services/http_parse.h"
#include "services/line_reader.h"
#include "services/sockets.h"
#include "services/tls.h"
#include "speech/speech.h"

namespace WebDownload {
namespace {

// A stream without a length counts as this long, so that it never runs out.
constexpr int64_t kStreamLength = 999999999;

constexpr std::string_view kInvalidAnswer = "Erro http: resposta inválida do servidor."_cp;
constexpr std::string_view kNothingSent = "Resposta sem conteúdo; o arquivo anterior foi mantido."_cp;

void Say(std::string_view text) { Speech::WriteLineAndSpeak(text); }

// One request's connection: the socket library, the socket and its line reader, released
// however the download ends (also when the closed console unwinds it).
struct Connection {
  bool started = false;
  int socket = -1;
  std::unique_ptr<LineReader::Reader> reader;
  ~Connection() { Close(); }
  void Close() {
    LineReader::LineReaderFree(reader);
    Sockets::TcpClose(socket);
    socket = -1;
    if (started) Sockets::NetCleanup();
    started = false;
  }
};

// The target file, written through a large buffer: the target itself, or a temporary file
// beside it that takes the target's place only when Close is called (Abandon closes the
// file and removes a temporary one).
class OutputFile {
 public:
  ~OutputFile() { Release(); }
  bool Open(const std::string& hostPath, FileIo::Mode mode) {
    Abandon();
    if (hostPath.empty() || own_.Open(hostPath, mode) != 0) return false;
    file_ = &own_;
    return true;
  }
  bool OpenBeside(const std::string& hostPath) {
    Abandon();
    if (hostPath.empty() || FileOutput::Begin(temp_, hostPath) != 0) return false;
    file_ = &temp_.file;
    return true;
  }
  bool IsOpen() const { return file_ != nullptr; }
  bool IsTemporary() const { return temp_.file.IsOpen(); }
  int64_t Size() {
    FileIo::Info info;
    if (!file_ || !Flush() || file_->Query(info) != 0) return 0;
    return static_cast<int64_t>(info.size);
  }
  bool Seek(int64_t position) { return file_ && Flush() && file_->Seek(static_cast<uint64_t>(position)) >= 0; }
  bool Write(const void* bytes, std::size_t size) {
    if (!file_) return false;
    if (pending_.size() + size > kBuffer && !Flush()) return false;
    if (size >= kBuffer) return WriteOut(static_cast<const char*>(bytes), size);
    pending_.append(static_cast<const char*>(bytes), size);
    return true;
  }
  bool Close() {
    if (!file_) return true;
    bool ok = Flush();
    file_ = nullptr;
    if (IsTemporary()) {
      if (ok) ok = FileOutput::Commit(temp_) == 0;
      else FileOutput::Abandon(temp_);
      return ok;
    }
    return own_.Close() == 0 && ok;
  }
  void Abandon() {
    Release();
    FileOutput::Abandon(temp_);
  }

 private:
  static constexpr std::size_t kBuffer = 1 << 18;

  // Writes every byte, retrying short and interrupted writes.
  bool WriteOut(const char* bytes, std::size_t size) {
    while (size > 0) {
      const long n = file_->Write(bytes, size);
      if (n == -EINTR) continue;
      if (n <= 0) return false;
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  // Writes the buffered bytes out (they are dropped when the file refuses them).
  bool Flush() {
    const bool ok = WriteOut(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }
  // What was written reaches the file, which is closed (a temporary one stays to be removed).
  void Release() {
    if (file_) Flush();
    file_ = nullptr;
    own_.Close();
    pending_.clear();
  }

  FileIo::File own_;           // the target itself
  FileOutput::Output temp_;    // or the file beside it
  FileIo::File* file_ = nullptr;  // the one written, when open
  std::string pending_;        // bytes not yet written
};

// What the status line and the header lines of an answer said.
struct AnswerHead {
  int code = 0;
  std::string location;
  std::string contentType;
  std::optional<int64_t> contentLength;
  bool chunked = false;
  bool hasRange = false;
  int64_t rangeFirst = -1;
  int64_t rangeTotal = -1;
};

bool Connect(const Http::Url& url, Connection& c) {
  Sockets::NetStartup();
  c.started = true;
  Tls::St().lastUntrusted = false;
  c.socket = url.secure ? Sockets::TcpConnectTls(url.host, url.port) : Sockets::TcpConnect(url.host, url.port);
  if (c.socket < 0) {
    if (url.secure && Tls::St().lastUntrusted)
      Say(std::string("Certificado do servidor não confiável: "_cp) + url.host);
    Say("Erro de conexao");
    return false;
  }
  c.reader = LineReader::LineReaderCreate(c.socket);
  return true;
}

bool Send(Connection& c, const std::string& request) {
  if (Sockets::SocketSend(c.socket, request)) return true;
  Say("Erro de conexao");
  return false;
}

// Asks whether to stop; true when the user answered yes.
bool AskToStop() {
  Say("Deseja parar o download?");
  const uint8_t answer = Speech::ReadKeyAndSpeak();
  std::string shown;
  if (answer == 0) Keyboard::ConsoleReadKey();  // an extended key is no answer
  else shown.assign(1, static_cast<char>(answer));
  Console::StdoutWrite(shown + "\r\n");
  if (answer != 'S' && answer != 's') return false;
  Say("O download foi interrompido.");
  return true;
}

// One key taken from the queue while no body is being written: Esc asks whether to stop,
// other keys are dropped. True when the user chose to stop.
bool AnswerStopKey() {
  const uint8_t key = Keyboard::ConsoleReadKey();
  if (key == 0) Keyboard::ConsoleReadKey();  // the rest of an extended key
  else if (key == 27) return AskToStop();
  return false;
}

// What one request's answer may spend on its head: the status line and header lines of
// the answer and of the interim answers before it.
struct HeadBudget {
  std::size_t bytes = kMaxHeadBytes;
  int lines = kMaxHeadLines;
};

// Reads one line of an answer's head, waiting as long as the server takes while Esc can
// stop the download. False, told to the user, when the connection ends first, the head
// outgrows its budget, or the user stopped.
bool ReadHeadLine(Connection& c, HeadBudget& budget, std::string& line) {
  line.clear();
  if (budget.lines-- <= 0) {
    Say("Erro de conexao");
    return false;
  }
  const auto keyWaiting = [] { return Keyboard::QueueCount() > 0; };
  for (;;) {
    if (Keyboard::ConsoleKeyPressed() && AnswerStopKey()) return false;
    switch (LineReader::LineReaderGatherLine(*c.reader, line, budget.bytes, keyWaiting)) {
      case LineReader::Gather::Line:
        return true;
      case LineReader::Gather::GaveUp:
        break;
      case LineReader::Gather::Closed:
      case LineReader::Gather::TooLong:
        Say("Erro de conexao");
        return false;
    }
  }
}

// Reads the status line and the headers up to the empty line (no time-out, within the
// head's budget). Interim answers (1xx) are passed over. False, told to the user, when the
// connection ends first, the status line carries no code, the head is too large or the
// user stopped.
bool ReadAnswerHead(Connection& c, AnswerHead& head) {
  HeadBudget budget;
  std::string line;
  for (;;) {
    if (!ReadHeadLine(c, budget, line)) return false;
    if (!Http::ParseStatusLine(line, head.code)) {
      Say(kInvalidAnswer);
      return false;
    }
    const bool interim = head.code >= 100 && head.code < 200 && head.code != 101;
    for (;;) {
      if (!ReadHeadLine(c, budget, line)) return false;
      if (line.empty()) break;
      std::string name, value;
      if (interim || !Http::SplitHeader(line, name, value)) continue;
      if (Http::SameName(name, "location")) {
        head.location = value;
      } else if (Http::SameName(name, "content-type")) {
        head.contentType = value;
      } else if (Http::SameName(name, "content-length")) {
        head.contentLength = Http::ParseContentLength(value);
      } else if (Http::SameName(name, "transfer-encoding")) {
        head.chunked = Http::IsChunked(value);
      } else if (Http::SameName(name, "content-range")) {
        head.hasRange = Http::ParseContentRange(value, head.rangeFirst, head.rangeTotal);
      }
    }
    if (!interim) return true;
  }
}

bool IsAudio(std::string_view contentType) {
  return contentType.size() >= 5 && Http::SameName(contentType.substr(0, 5), "audio");
}

bool TargetExists(const std::string& hostPath) {
  return !hostPath.empty() && FileIo::Exists(hostPath);
}

struct Body {
  int64_t length = 0;  // content length (kStreamLength for a stream)
  int64_t resume = 0;
  int64_t earlier = 0;  // size of the earlier file a whole body is to replace
  bool stream = false;
  bool chunked = false;
};

// Ends the target file. A body written beside an earlier file (a whole answer to a range
// request) takes its place when it is complete and not empty, or, cut short, when it holds
// more of the file than the earlier one; otherwise the earlier file stays as it was, and
// an empty answer is no success. False when the file could not be finished.
bool FinishFile(OutputFile& out, bool& complete, int64_t earlier, const std::string& file) {
  if (out.IsTemporary()) {
    const int64_t size = out.Size();
    if (complete && size == 0 && earlier > 0) {
      Say(kNothingSent);
      complete = false;
    }
    if (!complete && size <= earlier) {
      out.Abandon();
      return true;
    }
  }
  if (!out.Close()) {
    Say("Erro na escrita de arquivo " + file);
    return false;
  }
  return true;
}

// Bytes taken from the connection at once when no click marks the blocks.
constexpr std::size_t kSlice = 65536;
// How often the keys are looked at while bytes keep coming.
constexpr int64_t kKeyCheckMs = 10;

// The block loop: the body into the file with a click after every block of kBlockSize
// bytes while clicks are on, and the keys answered as they come. True when the whole body
// is on disk: all its length, a chunked body up to its last chunk, or a stream without
// chunks however it ended (a chunked stream stopped by the user too).
class BodyReceiver {
 public:
  BodyReceiver(Connection& c, OutputFile& out, const Body& body, const Request& request)
      : c_(c), out_(out), body_(body), request_(request), remaining_(body.length), click_(request.click) {}

  bool Run() {
    const auto keyWaiting = [] { return Keyboard::QueueCount() > 0; };
    int64_t lastKeyCheck = Messages::NowMs();
    bool stopped = false;
    for (;;) {
      if (!body_.stream && remaining_ == 0) break;
      const std::size_t want = body_.stream ? kSlice : static_cast<std::size_t>(std::min<int64_t>(remaining_, kSlice));
      const uint8_t* data = nullptr;
      std::size_t got = 0;
      LineReader::Take take = LineReader::Take::Bytes;
      if (body_.chunked && decodedTaken_ < decoded_.size()) {
        got = std::min(want, decoded_.size() - decodedTaken_);
        data = reinterpret_cast<const uint8_t*>(decoded_.data()) + decodedTaken_;
        decodedTaken_ += got;
      } else if (body_.chunked) {
        if (Http::ChunksDone(chunks_) || Http::ChunksFailed(chunks_)) break;
        const uint8_t* raw = nullptr;
        std::size_t rawSize = 0;
        take = LineReader::LineReaderBorrow(*c_.reader, kSlice, raw, rawSize, keyWaiting);
        decoded_.clear();
        decodedTaken_ = 0;
        Http::DecodeChunks(chunks_, raw, rawSize, decoded_);
      } else {
        take = LineReader::LineReaderBorrow(*c_.reader, want, data, got, keyWaiting);
      }
      if (take == LineReader::Take::Closed) break;
      if (got > 0 && !Deliver(data, got)) return false;
      const int64_t now = Messages::NowMs();
      if (take == LineReader::Take::GaveUp || now - lastKeyCheck >= kKeyCheckMs) {
        lastKeyCheck = now;
        if (Keyboard::ConsoleKeyPressed() && AnswerKey()) {
          stopped = true;
          break;
        }
      }
    }
    c_.Close();
    bool complete = body_.stream || remaining_ == 0;
    if (body_.chunked) {
      complete = Http::ChunksDone(chunks_) || (stopped && body_.stream);
      if (Http::ChunksFailed(chunks_)) Say(kInvalidAnswer);
      else if (!complete && !stopped) Say("Erro de conexao");
    }
    return FinishFile(out_, complete, body_.earlier, request_.file) && complete;
  }

 private:
  // Writes the bytes, clicking at the end of every block while clicks are on (and after
  // the last, shorter block of a body with a length).
  bool Deliver(const uint8_t* data, std::size_t size) {
    while (size > 0) {
      const std::size_t n = click_ ? std::min(size, kBlockSize - inBlock_) : size;
      if (!out_.Write(data, n)) {
        Say("Erro na escrita de arquivo " + request_.file);
        return false;
      }
      data += n;
      size -= n;
      if (!body_.stream) remaining_ -= static_cast<int64_t>(n);
      inBlock_ = (inBlock_ + n) % kBlockSize;
      if (click_ && (inBlock_ == 0 || (!body_.stream && remaining_ == 0))) Speech::PlayClick();
    }
    return true;
  }

  // One key taken from the queue; true when the user chose to stop.
  bool AnswerKey() {
    const uint8_t key = Keyboard::ConsoleReadKey();
    if (key == 0) {
      Keyboard::ConsoleReadKey();  // the rest of an extended key; dropped
    } else if (key == 13) {
      DownloadProgress::SpeakProgress(out_.Size(), body_.length, body_.resume, body_.stream, request_.file);
    } else if (key == ' ') {
      click_ = !click_;
    } else if (key == 27) {
      return AskToStop();
    }
    return false;
  }

  Connection& c_;
  OutputFile& out_;
  const Body& body_;
  const Request& request_;
  int64_t remaining_;
  bool click_;
  std::size_t inBlock_ = 0;  // bytes of the current block already written
  Http::ChunkDecoder chunks_;
  std::string decoded_;       // de-chunked bytes not yet written
  std::size_t decodedTaken_ = 0;
};

// The whole-page fetch: a simpler request whose answer body is stored as text lines. The
// page is written beside the target and takes its place only once it is whole, so a cut or
// malformed answer leaves the target as it was; so does an empty answer when the target
// had bytes (`earlier`, its size).
bool FetchWholePage(const std::string& pageUrl, const Request& request, int64_t earlier) {
  Http::Url url;
  if (!Http::SplitUrl(pageUrl, url)) {
    Say(std::string("Endereço inválido: "_cp) + pageUrl);
    return false;
  }
  Connection c;
  if (!Connect(url, c)) return false;
  std::string lines = "GET " + url.path + " HTTP/1.1\r\n";
  lines += "Host: " + Http::HostHeader(url) + "\r\n";
  lines += "User-Agent: " + request.agent + "\r\n";
  lines += "Connection: close\r\nAccept-Language: pt-br\r\nUA-CPU: x86\r\n";
  if (!request.cookie.empty()) lines += "Cookie: " + request.cookie + "\r\n";
  lines += "\r\n";
  if (!Send(c, lines)) return false;
  // Status line and headers are passed over whatever they say, but the body's length and
  // coding are kept so that the page is stored as it was meant.
  int64_t length = -1;  // -1: until the peer closes
  bool chunked = false;
  HeadBudget budget;
  for (bool first = true;; first = false) {
    std::string line;
    if (!ReadHeadLine(c, budget, line)) return false;
    if (line.empty()) break;
    std::string name, value;
    if (first || !Http::SplitHeader(line, name, value)) continue;
    if (Http::SameName(name, "content-length")) length = Http::ParseContentLength(value).value_or(-1);
    else if (Http::SameName(name, "transfer-encoding")) chunked = Http::IsChunked(value);
  }
  if (chunked) length = -1;
  OutputFile out;
  if (!out.OpenBeside(Paths::ToHost(request.file))) {
    Say("Erro na abertura do arquivo " + request.file);
    return false;
  }
  enum class End { Whole, Cut, Malformed, Stopped, WriteFailed };
  End end = End::Whole;
  const auto keyWaiting = [] { return Keyboard::QueueCount() > 0; };
  int64_t lastKeyCheck = Messages::NowMs();
  Http::LineEnds lineEnds;
  Http::ChunkDecoder chunks;
  std::vector<uint8_t> raw(LineReader::kBufferSize);
  std::string decoded, text;
  int64_t left = length;
  int64_t bodyBytes = 0;
  while (left != 0 && !Http::ChunksDone(chunks)) {
    if (Http::ChunksFailed(chunks)) {
      end = End::Malformed;
      break;
    }
    std::size_t want = raw.size();
    if (left > 0) want = static_cast<std::size_t>(std::min<int64_t>(left, static_cast<int64_t>(want)));
    std::size_t got = 0;
    const LineReader::Take take = LineReader::LineReaderTake(*c.reader, raw.data(), want, got, keyWaiting);
    if (take == LineReader::Take::Closed) {
      // Only a page without length or chunks ends where the connection does.
      if (left > 0 || chunked) end = End::Cut;
      break;
    }
    const int64_t now = Messages::NowMs();
    if (take == LineReader::Take::GaveUp || now - lastKeyCheck >= kKeyCheckMs) {
      lastKeyCheck = now;
      if (Keyboard::ConsoleKeyPressed() && AnswerStopKey()) {
        end = End::Stopped;
        break;
      }
    }
    if (left > 0) left -= static_cast<int64_t>(got);
    const uint8_t* bytes = raw.data();
    std::size_t size = got;
    if (chunked) {
      decoded.clear();
      Http::DecodeChunks(chunks, raw.data(), got, decoded);
      bytes = reinterpret_cast<const uint8_t*>(decoded.data());
      size = decoded.size();
    }
    bodyBytes += static_cast<int64_t>(size);
    text.clear();
    Http::ConvertLineEnds(lineEnds, bytes, size, text);
    if (!out.Write(text.data(), text.size())) {
      end = End::WriteFailed;
      break;
    }
  }
  c.Close();
  if (end == End::Whole && bodyBytes == 0 && earlier > 0) {
    Say(kNothingSent);
    return false;
  }
  if (end == End::Whole) {
    text.clear();
    Http::FinishLineEnds(lineEnds, text);
    if (!out.Write(text.data(), text.size()) || !out.Close()) end = End::WriteFailed;
  }
  out.Abandon();
  switch (end) {
    case End::Whole:
      return true;
    case End::Cut:
      Say("Erro de conexao");
      return false;
    case End::Malformed:
      Say(kInvalidAnswer);
      return false;
    case End::Stopped:
      return false;
    case End::WriteFailed:
      Say("Erro na escrita de arquivo " + request.file);
      return false;
  }
  return false;
}

}  // namespace

bool Download(const Request& request) {
  std::string url = request.url;
  std::string pageUrl = url;
  int hops = 0;
  const std::string hostPath = Paths::ToHost(request.file);
  for (;;) {
    Http::Url target;
    if (!Http::SplitUrl(url, target)) {
      Say(std::string("Endereço inválido: "_cp) + url);
      return false;
    }
    Connection c;
    if (!Connect(target, c)) return false;
    std::string lines = "GET " + target.path + " HTTP/1.1\r\n";
    lines += "User-Agent: " + request.agent + "\r\n";
    lines += "Accept: */*\r\nAccept-Encoding: identity\r\n";
    lines += "Host: " + Http::HostHeader(target) + "\r\n";
    lines += "Connection: Close\r\n";
    OutputFile out;
    int64_t resume = 0;
    if (TargetExists(hostPath)) {
      if (!out.Open(hostPath, FileIo::Mode::ReadWrite)) {
        Say("Erro na abertura do arquivo " + request.file);
        return false;
      }
      resume = out.Size();
      lines += "Range: bytes=" + std::to_string(resume) + "-\r\n";
    }
    if (!request.cookie.empty()) lines += "Cookie: " + request.cookie + "\r\n";
    lines += "\r\n";
    if (!Send(c, lines)) return false;
    AnswerHead head;
    if (!ReadAnswerHead(c, head)) return false;
    const std::string code = std::to_string(head.code);
    const int64_t existing = resume;  // size of the target before the request
    int64_t earlier = 0;              // size of the file a whole body is to replace
    if (head.code == 206) {
      // Only a part that starts where the file ends may be appended to it.
      if (!out.IsOpen() || (head.hasRange && head.rangeFirst != resume)) {
        Say("Erro http206: o servidor não retomou do ponto pedido."_cp);
        return false;
      }
      Say("Retomando download");
    } else if (head.code >= 200 && head.code < 300) {
      // A whole body: the earlier file keeps its bytes until the new ones are there.
      earlier = resume;
      resume = 0;
      out.Close();
    } else if (head.code == 400) {
      Say("Erro http400:Requisição http não foi bem formulada."_cp);
      return false;
    } else if (head.code == 404) {
      Say("Erro http404: Página não encontrada."_cp);
      return false;
    } else if (head.code >= 300 && head.code < 400 && !head.location.empty()) {
      if (++hops > kMaxRedirects) {
        Say("Erro http" + code + ": redirecionamentos demais.");
        return false;
      }
      url = Http::ResolveLocation(url, head.location);
      pageUrl = url;
      continue;
    } else if (head.code == 416 && resume > 0 && head.rangeTotal == resume) {
      return true;  // the file was complete already
    } else {
      Say("Erro http" + code);
      return false;
    }
    Body body;
    body.resume = resume;
    body.earlier = earlier;
    body.chunked = head.chunked;
    if (head.chunked) head.contentLength.reset();
    if (!head.contentLength) {
      if (!IsAudio(head.contentType)) {
        out.Close();
        c.Close();
        return FetchWholePage(pageUrl, request, existing);
      }
      body.stream = true;
      body.length = kStreamLength;
    } else {
      body.length = *head.contentLength;
    }
    if (head.code != 206) {
      if (!(earlier > 0 ? out.OpenBeside(hostPath) : out.Open(hostPath, FileIo::Mode::WriteTruncate))) {
        Say("Erro na abertura do arquivo " + request.file);
        return false;
      }
    } else if (resume > 0 && !out.Seek(resume)) {
      Say("Erro na escrita de arquivo " + request.file);
      return false;
    }
    return BodyReceiver(c, out, body, request).Run();
  }
}

}  // namespace WebDownload
