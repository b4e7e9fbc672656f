// BrlAPI client on a thread of its own: connects, takes the display, writes the newest row,
// reads keys and hands them to the event loop through a pipe; a lost connection turns the
// display off until a later row finds BRLTTY again.
#include "platform/braille/brldsp.h"

#include <brlapi.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/text/cp1252.h"
#include "platform/events/messages.h"

namespace BrlDsp {
namespace {

constexpr int kRetryMs = 500;
constexpr int kFirstTryMs = 1000;

struct State {
  std::mutex mutex;
  std::optional<std::vector<uint8_t>> pending;  // the newest row not yet written
  std::deque<Key> keys;                         // keys for the main thread
  std::string driver;
  std::atomic<bool> connected{false};
  std::atomic<bool> stop{false};
  std::atomic<bool> broken{false};  // an exception from the server: reconnect
  std::atomic<int> cells{0};
  std::condition_variable firstTry;  // Start waits for the first connection attempt
  bool tried = false;
  int wakePipe[2] = {-1, -1};  // main -> thread: a row or the stop
  int keyPipe[2] = {-1, -1};   // thread -> main loop: keys waiting
  int source = -1;
  KeyHandler handler = nullptr;
  std::thread thread;
};

// Never destroyed: the thread may still be blocked in a write to a hung BRLTTY when the
// process ends, and a joinable thread must not be destroyed.
State& S() {
  static State& state = *new State;
  return state;
}

void Notify(int fd) {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
}

void Drain(int fd) {
  char buffer[64];
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
}

void OnException(brlapi_handle_t*, int, brlapi_packetType_t, const void*, size_t) {
  S().broken = true;
}

// The connection, owned by the thread alone.
class Connection {
 public:
  ~Connection() { Close(); }

  bool Open() {
    Close();
    handle_.reset(new char[brlapi_getHandleSize()]);
    fd_ = brlapi__openConnection(Handle(), nullptr, nullptr);
    if (fd_ < 0) {
      handle_.reset();
      return false;
    }
    open_ = true;
    brlapi__setExceptionHandler(Handle(), OnException);
    unsigned int x = 0, y = 0;
    char name[80] = {};
    if (brlapi__getDisplaySize(Handle(), &x, &y) < 0 || x * y == 0 ||
        brlapi__getDriverName(Handle(), name, sizeof name - 1) < 0) {
      Close();
      return false;
    }
    const brlapi_param_retainDots_t retain = 1;
    brlapi__setParameter(Handle(), BRLAPI_PARAM_RETAIN_DOTS, 0, BRLAPI_PARAMF_LOCAL, &retain, sizeof retain);
    if (brlapi__enterTtyModeWithPath(Handle(), nullptr, 0, nullptr) < 0 || !ChooseKeys()) {
      Close();
      return false;
    }
    size_ = static_cast<int>(x * y);
    State& s = S();
    {
      std::lock_guard lock(s.mutex);
      s.driver = name;
    }
    s.cells = size_;
    s.broken = false;
    s.connected = true;
    return true;
  }

  void Close() {
    if (open_) brlapi__closeConnection(Handle());
    open_ = false;
    fd_ = -1;
    handle_.reset();
    size_ = 0;
    S().connected = false;
    S().cells = 0;
  }

  bool IsOpen() const { return open_; }
  int Fd() const { return fd_; }

  bool Write(const std::vector<uint8_t>& row) {
    std::vector<unsigned char> dots(static_cast<std::size_t>(size_), 0);
    std::copy_n(row.begin(), std::min(row.size(), dots.size()), dots.begin());
    return brlapi__writeDots(Handle(), dots.data()) >= 0;
  }

  // Reads every key waiting; false when the connection is gone.
  bool ReadKeys() {
    for (;;) {
      brlapi_keyCode_t code = 0;
      const int n = brlapi__readKey(Handle(), 0, &code);
      if (n < 0) return false;
      if (n == 0) return true;
      if (std::optional<Key> key = Translate(code)) {
        State& s = S();
        {
          std::lock_guard lock(s.mutex);
          s.keys.push_back(*key);
        }
        Notify(s.keyPipe[1]);
      }
    }
  }

 private:
  brlapi_handle_t* Handle() { return reinterpret_cast<brlapi_handle_t*>(handle_.get()); }

  // Only the keys the console gives a meaning to are taken; BRLTTY keeps the others.
  bool ChooseKeys() {
    if (brlapi__ignoreAllKeys(Handle()) < 0) return false;
    const brlapi_keyCode_t commands[] = {BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_ROUTE,
                                         BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_PASSDOTS};
    const brlapi_keyCode_t keys[] = {
        BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_LNUP, BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_LNDN,
        BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_WINUP, BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_WINDN};
    const brlapi_keyCode_t symbols[] = {BRLAPI_KEY_TYPE_SYM};
    return brlapi__acceptKeys(Handle(), brlapi_rangeType_command, commands, 2) >= 0 &&
           brlapi__acceptKeys(Handle(), brlapi_rangeType_key, keys, 4) >= 0 &&
           brlapi__acceptKeys(Handle(), brlapi_rangeType_type, symbols, 1) >= 0;
  }

  static std::optional<Key> Symbol(brlapi_keyCode_t sym) {
    Key key;
    switch (sym) {
      case BRLAPI_KEY_SYM_LINEFEED: key.kind = Key::Kind::Enter; return key;
      case BRLAPI_KEY_SYM_BACKSPACE: key.kind = Key::Kind::Backspace; return key;
      case BRLAPI_KEY_SYM_ESCAPE: key.kind = Key::Kind::Escape; return key;
      case BRLAPI_KEY_SYM_TAB: key.kind = Key::Kind::Tab; return key;
      case BRLAPI_KEY_SYM_DELETE: key.kind = Key::Kind::Delete; return key;
      case BRLAPI_KEY_SYM_HOME: key.kind = Key::Kind::Home; return key;
      case BRLAPI_KEY_SYM_END: key.kind = Key::Kind::End; return key;
      case BRLAPI_KEY_SYM_LEFT: key.kind = Key::Kind::Left; return key;
      case BRLAPI_KEY_SYM_RIGHT: key.kind = Key::Kind::Right; return key;
      case BRLAPI_KEY_SYM_UP: key.kind = Key::Kind::LineUp; return key;
      case BRLAPI_KEY_SYM_DOWN: key.kind = Key::Kind::LineDown; return key;
      default: break;
    }
    char32_t cp = 0;
    if ((sym & BRLAPI_KEY_SYM_UNICODE) != 0) cp = static_cast<char32_t>(sym & 0xFFFFFF);
    else if (sym < 0x100) cp = static_cast<char32_t>(sym);
    else return std::nullopt;
    // Braille patterns: BRLTTY typing in dots passes the chord itself (with bit 8 of the
    // argument, U+2900.., for a chord with the space bar).
    if (cp >= 0x2800 && cp < 0x2A00) {
      key.kind = Key::Kind::Chord;
      key.dots = static_cast<uint8_t>(cp & 0xFF);
      key.space = (cp & 0x100) != 0;
      return key;
    }
    const int byte = Cp1252::FromUnicode(cp);
    if (byte < 0) return std::nullopt;
    key.kind = Key::Kind::Character;
    key.character = static_cast<uint8_t>(byte);
    return key;
  }

  static std::optional<Key> Translate(brlapi_keyCode_t code) {
    const brlapi_keyCode_t type = code & BRLAPI_KEY_TYPE_MASK;
    if (type == BRLAPI_KEY_TYPE_SYM) return Symbol(code & BRLAPI_KEY_CODE_MASK);
    if (type != BRLAPI_KEY_TYPE_CMD) return std::nullopt;
    const brlapi_keyCode_t block = code & BRLAPI_KEY_CMD_BLK_MASK;
    const auto arg = static_cast<int>(code & BRLAPI_KEY_CMD_ARG_MASK);
    Key key;
    if (block == BRLAPI_KEY_CMD_ROUTE) {
      key.kind = Key::Kind::Route;
      key.cell = arg;
      return key;
    }
    if (block == BRLAPI_KEY_CMD_PASSDOTS) {
      key.kind = Key::Kind::Chord;
      key.dots = static_cast<uint8_t>(arg & 0xFF);
      key.space = (arg & BRLAPI_DOTC) != 0;
      return key;
    }
    switch (code & BRLAPI_KEY_CODE_MASK & ~BRLAPI_KEY_TYPE_MASK) {
      case BRLAPI_KEY_CMD_LNUP:
      case BRLAPI_KEY_CMD_WINUP: key.kind = Key::Kind::LineUp; return key;
      case BRLAPI_KEY_CMD_LNDN:
      case BRLAPI_KEY_CMD_WINDN: key.kind = Key::Kind::LineDown; return key;
      default: return std::nullopt;
    }
  }

  std::unique_ptr<char[]> handle_;
  int fd_ = -1;
  bool open_ = false;
  int size_ = 0;
};

void Run() {
  State& s = S();
  Connection connection;
  int64_t lastAttempt = Messages::NowMs();
  connection.Open();
  {
    std::lock_guard lock(s.mutex);
    s.tried = true;
  }
  s.firstTry.notify_all();
  // A row that found no connection waits for the next attempt, at most kRetryMs away.
  bool retryDue = false;
  while (!s.stop) {
    pollfd fds[2] = {{s.wakePipe[0], POLLIN, 0}, {connection.Fd(), POLLIN, 0}};
    int timeout = -1;
    if (!connection.IsOpen() && retryDue)
      timeout = static_cast<int>(std::max<int64_t>(0, lastAttempt + kRetryMs - Messages::NowMs()));
    poll(fds, 2, timeout);
    if (s.stop) break;
    if (fds[0].revents & POLLIN) Drain(s.wakePipe[0]);
    if (connection.IsOpen() && ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) || s.broken)) {
      if (!connection.ReadKeys() || s.broken) connection.Close();
    }
    std::optional<std::vector<uint8_t>> row;
    {
      std::lock_guard lock(s.mutex);
      if (s.pending) {
        row = std::move(s.pending);
        s.pending.reset();
      }
    }
    if (row) retryDue = true;
    if (!retryDue) continue;
    if (!connection.IsOpen()) {
      if (Messages::NowMs() - lastAttempt < kRetryMs) {
        if (row) {
          std::lock_guard lock(s.mutex);
          if (!s.pending) s.pending = std::move(row);
        }
        continue;
      }
      lastAttempt = Messages::NowMs();
      if (!connection.Open()) {
        retryDue = false;  // one attempt per row: the row is dropped
        continue;
      }
      if (!row) {
        std::lock_guard lock(s.mutex);
        if (s.pending) {
          row = std::move(s.pending);
          s.pending.reset();
        }
      }
    }
    retryDue = false;
    if (row) {
      if (!connection.Write(*row)) connection.Close();
    }
  }
  connection.Close();
}

// Main thread: the keys the connection thread queued go to the console.
void DeliverKeys() {
  State& s = S();
  Drain(s.keyPipe[0]);
  for (;;) {
    Key key;
    {
      std::lock_guard lock(s.mutex);
      if (s.keys.empty()) return;
      key = s.keys.front();
      s.keys.pop_front();
    }
    if (s.handler) s.handler(key);
  }
}

bool MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) return true;
  fds[0] = fds[1] = -1;
  return false;
}

void ClosePipe(int fds[2]) {
  for (int i = 0; i < 2; ++i) {
    if (fds[i] >= 0) close(fds[i]);
    fds[i] = -1;
  }
}

}  // namespace

void Start(KeyHandler handler) {
  State& s = S();
  if (s.thread.joinable()) return;
  if (!MakePipe(s.wakePipe)) return;
  if (!MakePipe(s.keyPipe)) {
    ClosePipe(s.wakePipe);
    return;
  }
  s.handler = handler;
  s.stop = false;
  const int keyFd = s.keyPipe[0];
  s.source = Messages::AddSource({[keyFd] { return keyFd; }, [] { return -1; }, DeliverKeys});
  s.tried = false;
  s.thread = std::thread(Run);
  // The display is known to be there or not when the console starts, as long as BRLTTY
  // answers in time; a hung one costs the start this wait once.
  std::unique_lock lock(s.mutex);
  s.firstTry.wait_for(lock, std::chrono::milliseconds(kFirstTryMs), [&] { return s.tried; });
}

bool Started() { return S().thread.joinable(); }
bool Connected() { return S().connected; }
int CellCount() { return S().cells; }

std::string DriverName() {
  State& s = S();
  if (!s.connected) return {};
  std::lock_guard lock(s.mutex);
  return s.driver;
}

void Show(std::vector<uint8_t> cells) {
  State& s = S();
  if (!s.thread.joinable()) return;
  {
    std::lock_guard lock(s.mutex);
    s.pending = std::move(cells);
  }
  Notify(s.wakePipe[1]);
}

void Stop() {
  State& s = S();
  if (!s.thread.joinable()) return;
  s.stop = true;
  Notify(s.wakePipe[1]);
  s.thread.join();
  if (s.source >= 0) Messages::RemoveSource(s.source);
  s.source = -1;
  ClosePipe(s.wakePipe);
  ClosePipe(s.keyPipe);
  std::lock_guard lock(s.mutex);
  s.pending.reset();
  s.keys.clear();
  s.driver.clear();
  s.handler = nullptr;
}

}  // namespace BrlDsp
