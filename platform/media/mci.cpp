// The MCI device table and the command verbs. Devices are named by their alias, or by the
// element they opened; numbers are handed out from 1, the lowest free first. A device that
// "play FILE" opened by itself is closed once it has played.
#include "platform/media/mci.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/media/mci_agent.h"
#include "platform/media/mci_audio.h"
#include "platform/media/mci_command.h"
#include "platform/media/mci_gst.h"
#include "platform/media/mci_media.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"

namespace Mci {
namespace {

using MciMedia::Media;
using MciMedia::Mode;

struct Device {
  int id = 0;
  std::string name;  // alias or element, as written
  bool autoClose = false;
  std::unique_ptr<Media> media;
};

struct State {
  std::vector<std::unique_ptr<Device>> devices;
  int lastError = 0;
  IdleHook idle = nullptr;
  int sourceId = 0;
  const Device* busy = nullptr;  // the device a waiting command works on
  int64_t nextCheck = 0;         // when auto-closing devices are looked at again
  bool atExit = false;
};

State& S() {
  static State* const state = new State;  // closed explicitly, never destroyed at exit
  return *state;
}

bool Idle() { return S().idle ? S().idle() : false; }

Device* Find(std::string_view name) {
  const std::string wanted = TextKit::AsciiLowerText(name);
  for (auto& d : S().devices)
    if (TextKit::AsciiLowerText(d->name) == wanted) return d.get();
  return nullptr;
}

void Erase(Device* d) {
  auto& list = S().devices;
  list.erase(std::remove_if(list.begin(), list.end(), [d](const auto& p) { return p.get() == d; }), list.end());
}

// Bus messages of every device; devices opened by "play FILE" close after playing.
void DrainAll() {
  State& s = S();
  MciMedia::ClearWake();
  s.nextCheck = Messages::NowMs() + 50;
  std::vector<Device*> done;
  for (auto& d : s.devices) {
    MciMedia::HandleBus(*d->media);
    if (d->autoClose && d.get() != s.busy && MciMedia::CurrentMode(*d->media) != Mode::Playing) done.push_back(d.get());
  }
  for (Device* d : done) Erase(d);
}

bool AnyAutoClose() {
  for (auto& d : S().devices)
    if (d->autoClose) return true;
  return false;
}

void EnsureSource() {
  State& s = S();
  if (s.sourceId) return;
  s.sourceId = Messages::AddSource({[] { return MciMedia::WakeFd(); },
                                    // An auto-closing device settles when its sound is out,
                                    // which no bus message tells.
                                    [] {
                                      if (!AnyAutoClose()) return -1;
                                      return static_cast<int>(std::max<int64_t>(0, S().nextCheck - Messages::NowMs()));
                                    },
                                    DrainAll});
}

int LowestFreeId() {
  for (int id = 1;; ++id) {
    bool used = false;
    for (auto& d : S().devices) used = used || d->id == id;
    if (!used) return id;
  }
}

bool IsAddress(std::string_view element) {
  const std::size_t colon = element.find("://");
  if (colon == std::string_view::npos || colon == 0) return false;
  for (char c : element.substr(0, colon))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))
      return false;
  return true;
}

// An address as a URI: UTF-8, with blanks and bytes outside ASCII escaped.
std::string AddressUri(std::string_view element) {
  std::string out;
  for (unsigned char c : Cp1252::ToUtf8(element)) {
    if (c <= 32 || c >= 127 || c == '"') {
      out.push_back('%');
      TextKit::AppendHexByte(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// Opens `element` (a file or an address) as device `name`.
int OpenDevice(std::string element, const std::string& name, bool autoClose, Device*& out) {
  State& s = S();
  if (const std::size_t bang = element.find('!'); bang != std::string::npos && !IsAddress(element.substr(0, bang)))
    element = element.substr(bang + 1);  // "mpegvideo!c:\video.mp4": the type is GStreamer's to find
  if (element.empty()) return kErrMissingParameter;
  if (Find(name) || TextKit::AsciiLowerText(name) == "all") return kErrDuplicateAlias;
  std::string uri;
  const bool address = IsAddress(element);
  if (address) {
    uri = AddressUri(element);
  } else {
    const std::string host = Paths::ToHost(element);
    struct stat st;
    if (host.empty() || stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrFileNotFound;
    gchar* fileUri = gst_filename_to_uri(host.c_str(), nullptr);
    if (!fileUri) return kErrFileNotFound;
    uri = fileUri;
    g_free(fileUri);
  }
  if (!MciGst::Init()) return kErrCannotLoadDriver;
  EnsureSource();
  if (!s.atExit) {
    s.atExit = true;
    std::atexit(CloseAll);
  }
  auto media = std::make_unique<Media>();
  if (const int rc = MciMedia::Open(*media, uri, address, Idle); rc != kOk) return rc;
  auto device = std::make_unique<Device>();
  device->id = LowestFreeId();
  device->name = name;
  device->autoClose = autoClose;
  device->media = std::move(media);
  out = device.get();
  s.devices.push_back(std::move(device));
  return kOk;
}

int Open(const Command& c, std::string& answer) {
  Words w(c.words);
  int error = kOk;
  const auto alias = w.Value("alias", error);
  w.Value("type", error);  // GStreamer finds the type itself
  w.Value("style", error);
  w.Value("parent", error);
  w.Value("buffer", error);
  for (const char* flag : {"shareable", "wait", "notify"}) w.Flag(flag);
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  std::string element = c.device;
  const std::size_t bang = element.find('!');
  const std::string name = alias                        ? *alias
                           : bang == std::string::npos || IsAddress(element.substr(0, bang)) ? element
                                                                                             : element.substr(bang + 1);
  Device* d = nullptr;
  if (const int rc = OpenDevice(element, name, false, d); rc != kOk) return rc;
  answer = std::to_string(d->id);
  return kOk;
}

// The devices a command acts on: one by name, or every one for "all".
int Targets(const std::string& name, bool allowAll, std::vector<Device*>& out) {
  if (TextKit::AsciiLowerText(name) == "all") {
    if (!allowAll) return kErrInvalidDeviceName;
    for (auto& d : S().devices) out.push_back(d.get());
    return kOk;
  }
  Device* d = Find(name);
  if (!d) return kErrInvalidDeviceName;
  out.push_back(d);
  return kOk;
}

int Close(const Command& c) {
  Words w(c.words);
  w.Flag("wait");
  w.Flag("notify");
  if (const int rc = w.Leftover()) return rc;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, true, targets)) return rc;
  for (Device* d : targets) Erase(d);
  return kOk;
}

// "play … wait": until the play ends or a key waits.
void WaitForEnd(Device* d) {
  State& s = S();
  s.busy = d;
  while (MciMedia::CurrentMode(*d->media) == Mode::Playing) {
    Messages::PumpMessages();
    if (Idle()) break;
    Messages::WaitMessage(20);
  }
  s.busy = nullptr;
}

int Play(const Command& c) {
  Words w(c.words);
  int error = kOk;
  const auto from = w.Number("from", error);
  const auto to = w.Number("to", error);
  const bool wait = w.Flag("wait");
  w.Flag("notify");
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  if (TextKit::AsciiLowerText(c.device) == "all") return kErrInvalidDeviceName;
  Device* d = Find(c.device);
  if (!d) {
    // "play FILE": opened for this play and closed after it.
    if (const int rc = OpenDevice(c.device, c.device, true, d); rc != kOk) return rc;
  }
  S().busy = d;
  const int rc = MciMedia::Play(*d->media, from, to, Idle);
  S().busy = nullptr;
  if (rc != kOk) {
    if (d->autoClose) Erase(d);
    return rc;
  }
  if (wait) WaitForEnd(d);
  return kOk;
}

int Simple(const Command& c, void (*action)(Media&)) {
  Words w(c.words);
  w.Flag("wait");
  w.Flag("notify");
  if (const int rc = w.Leftover()) return rc;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, true, targets)) return rc;
  for (Device* d : targets) action(*d->media);
  return kOk;
}

int Seek(const Command& c) {
  Words w(c.words);
  int error = kOk;
  w.Flag("wait");
  w.Flag("notify");
  int64_t target = 0;
  if (const auto where = w.Value("to", error)) {
    const std::string lower = TextKit::AsciiLowerText(*where);
    if (lower == "start") target = 0;
    else if (lower == "end") target = -1;
    else if (const auto n = ParseNumber(lower)) target = *n;
    else return kErrBadInteger;
  } else if (w.Flag("start")) {
    target = 0;
  } else if (w.Flag("end")) {
    target = -1;
  } else if (!error) {
    return kErrMissingParameter;
  }
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, false, targets)) return rc;
  S().busy = targets[0];
  const int rc = MciMedia::Seek(*targets[0]->media, target, Idle);
  S().busy = nullptr;
  return rc;
}

const char* ModeText(Mode mode) {
  switch (mode) {
    case Mode::NotReady: return "not ready";
    case Mode::Stopped: return "stopped";
    case Mode::Playing: return "playing";
    case Mode::Paused: return "paused";
    case Mode::Seeking: return "seeking";
  }
  return "";
}

int Status(const Command& c, std::string& answer) {
  std::vector<std::string> item;
  for (const std::string& word : c.words) {
    const std::string lower = TextKit::AsciiLowerText(word);
    if (lower != "wait" && lower != "notify") item.push_back(lower);
  }
  if (item.empty()) return kErrMissingParameter;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, false, targets)) return rc;
  Media& m = *targets[0]->media;
  std::string what;
  for (const std::string& word : item) {
    if (!what.empty()) what.push_back(' ');
    what.append(word);
  }
  if (what == "length") answer = std::to_string(MciMedia::Length(m));
  else if (what == "position") answer = std::to_string(MciMedia::Position(m));
  else if (what == "mode") answer = ModeText(MciMedia::CurrentMode(m));
  else if (what == "ready") answer = MciMedia::CurrentMode(m) == Mode::NotReady || m.broken ? "false" : "true";
  else if (what == "time format") answer = "milliseconds";
  else if (what == "media present") answer = "true";
  else if (what == "volume") answer = std::to_string((m.left + m.right) / 2);
  else if (what == "left volume") answer = std::to_string(m.left);
  else if (what == "right volume") answer = std::to_string(m.right);
  else return kErrUnrecognizedKeyword;
  return kOk;
}

int SetAudio(const Command& c) {
  Words w(c.words);
  int error = kOk;
  const bool left = w.Flag("left");
  const bool right = w.Flag("right");
  w.Flag("all");
  const bool volume = w.Flag("volume");
  int64_t level = -1;
  if (volume)
    if (const auto n = w.Number("to", error)) level = *n;
  const bool on = w.Flag("on");
  const bool off = w.Flag("off");
  w.Flag("wait");
  w.Flag("notify");
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  if (volume && level < 0) return kErrMissingParameter;
  if (!volume && on == off) return kErrMissingParameter;
  if (level > 1000) return kErrOutOfRange;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, false, targets)) return rc;
  Media& m = *targets[0]->media;
  if (volume) {
    const int v = static_cast<int>(level);
    MciMedia::SetVolume(m, left || !right ? v : m.left, right || !left ? v : m.right);
  } else {
    MciMedia::SetAudioOn(m, on);
  }
  return kOk;
}

int Window(const Command& c) {
  Words w(c.words);
  int error = kOk;
  const auto handle = w.Value("handle", error);
  const auto state = w.Value("state", error);
  w.Value("text", error);
  w.Flag("wait");
  w.Flag("notify");
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, false, targets)) return rc;
  Media& m = *targets[0]->media;
  uint64_t window = m.window;
  if (handle) {
    if (TextKit::AsciiLowerText(*handle) == "default") {
      window = 0;
    } else if (const auto n = ParseNumber(*handle)) {
      window = static_cast<uint64_t>(*n);
    } else {
      return kErrBadInteger;
    }
  }
  if (state && TextKit::AsciiLowerText(*state) == "hide") window = 0;
  S().busy = targets[0];
  const int rc = MciMedia::SetWindow(m, window, Idle);
  S().busy = nullptr;
  return rc;
}

int Set(const Command& c) {
  Words w(c.words);
  int error = kOk;
  w.Flag("wait");
  w.Flag("notify");
  std::optional<std::string> format;
  if (w.Flag("time")) {
    format = w.Value("format", error);
    if (!format && !error) error = kErrMissingParameter;
  }
  std::optional<bool> audio;
  if (w.Flag("audio")) {
    w.Flag("all");
    w.Flag("left");
    w.Flag("right");
    if (w.Flag("on")) audio = true;
    else if (w.Flag("off")) audio = false;
    else error = kErrMissingParameter;
  }
  if (error) return error;
  if (const int rc = w.Leftover()) return rc;
  if (!format && !audio) return kErrMissingParameter;
  if (format && TextKit::AsciiLowerText(*format) != "milliseconds" && TextKit::AsciiLowerText(*format) != "ms") return kErrBadTimeFormat;
  std::vector<Device*> targets;
  if (const int rc = Targets(c.device, false, targets)) return rc;
  if (audio) MciMedia::SetAudioOn(*targets[0]->media, *audio);
  return kOk;
}

int Run(const Command& c, std::string& answer) {
  const std::string& v = c.verb;
  if (v == "open") return Open(c, answer);
  if (v == "close") return Close(c);
  if (v == "play") return Play(c);
  if (v == "pause") return Simple(c, MciMedia::Pause);
  if (v == "resume") return Simple(c, MciMedia::Resume);
  if (v == "stop") return Simple(c, MciMedia::Stop);
  if (v == "seek") return Seek(c);
  if (v == "status") return Status(c, answer);
  if (v == "setaudio") return SetAudio(c);
  if (v == "window") return Window(c);
  if (v == "set") return Set(c);
  return kErrUnrecognizedCommand;
}

}  // namespace

int SendString(std::string_view command, std::string& answer) {
  answer.clear();
  Command c;
  int rc = ParseCommand(command, c);
  if (rc == kOk) {
    DrainAll();
    rc = Run(c, answer);
  }
  if (rc != kOk) {
    answer.clear();
    S().lastError = rc;
  }
  if (answer.size() >= kAnswerSize) answer.resize(kAnswerSize - 1);
  return rc;
}

int LastError() { return S().lastError; }

void SetIdleHook(IdleHook hook) { S().idle = hook; }

int OpenCount() { return static_cast<int>(S().devices.size()); }

int64_t FirstSampleMs(std::string_view name) {
  const Device* d = Find(name);
  return d ? MciMedia::FirstRenderMs(*d->media) : -1;
}

void CloseAll() { S().devices.clear(); }

void ResetMci() {
  State& s = S();
  s.devices.clear();
  if (s.sourceId) Messages::RemoveSource(s.sourceId);
  s.sourceId = 0;
  s.lastError = 0;
  s.idle = nullptr;
  s.busy = nullptr;
  MciAudio::ResetAudio();
  MciAgent::ResetAgent();
}

}  // namespace Mci
