// libspeechd behind the SAPI 5 voice. Its notices come on libspeechd's own thread and are
// only posted into the event loop; every call is made on the main thread. A server that has
// died must not kill us with SIGPIPE while we write to it.
#include "platform/speech/sapi5_speechd.h"

#include <libspeechd.h>
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>

#include "platform/events/messages.h"

namespace Sapi5Speechd {
namespace {

struct State {
  SPDConnection* connection = nullptr;
};

State& S() {
  static State state;
  return state;
}

// Writes to a socket whose peer has gone return EPIPE instead of ending the program.
class SigpipeIgnored {
 public:
  SigpipeIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &saved_);
  }
  ~SigpipeIgnored() { sigaction(SIGPIPE, &saved_, nullptr); }
  SigpipeIgnored(const SigpipeIgnored&) = delete;
  SigpipeIgnored& operator=(const SigpipeIgnored&) = delete;

 private:
  struct sigaction saved_ {};
};

void Notice(size_t messageId, int what) {
  Messages::Message m;
  m.kind = Messages::Kind::SpeechDone;
  m.data = messageId;
  m.value = what;
  Messages::Post(m);
}

void OnBegin(size_t id, size_t, SPDNotificationType) { Notice(id, kBegun); }
void OnEnd(size_t id, size_t, SPDNotificationType) { Notice(id, kEnded); }
void OnCancel(size_t id, size_t, SPDNotificationType) { Notice(id, kCancelled); }

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

bool Connect(const std::string& clientName) {
  Disconnect();
  SigpipeIgnored guard;
  const bool placeNamed = std::getenv("SPEECHD_ADDRESS") != nullptr;
  char* error = nullptr;
  // The address is ours to free (libspeechd loses the one it finds itself when it fails).
  SPDConnectionAddress* address = spd_get_default_address(&error);
  std::free(error);
  error = nullptr;
  if (!address) return false;
  SPDConnection* c =
      spd_open2(clientName.c_str(), "main", nullptr, SPD_MODE_THREADED, address, placeNamed ? 0 : 1, &error);
  SPDConnectionAddress__free(address);
  std::free(error);
  if (!c) return false;
  c->callback_begin = OnBegin;
  c->callback_end = OnEnd;
  c->callback_cancel = OnCancel;
  if (spd_set_notification_on(c, SPD_BEGIN) != 0 || spd_set_notification_on(c, SPD_END) != 0 ||
      spd_set_notification_on(c, SPD_CANCEL) != 0) {
    spd_close(c);
    return false;
  }
  S().connection = c;
  return true;
}

bool Connected() { return S().connection != nullptr; }

std::vector<Voice> Voices() {
  std::vector<Voice> out;
  SPDConnection* c = S().connection;
  if (!c) return out;
  SigpipeIgnored guard;
  SPDVoice** voices = spd_list_synthesis_voices(c);
  for (int i = 0; voices && voices[i]; ++i)
    out.push_back({Text(voices[i]->name), Text(voices[i]->language), Text(voices[i]->variant)});
  if (voices) free_spd_voices(voices);
  return out;
}

std::string OutputModule() {
  if (!S().connection) return {};
  SigpipeIgnored guard;
  char* name = spd_get_output_module(S().connection);
  const std::string out = Text(name);
  std::free(name);
  return out;
}

bool SetLanguage(const std::string& language) {
  SigpipeIgnored guard;
  return S().connection && spd_set_language(S().connection, language.c_str()) == 0;
}

bool SetVoice(const std::string& name) {
  SigpipeIgnored guard;
  return S().connection && spd_set_synthesis_voice(S().connection, name.c_str()) == 0;
}

bool SetRate(int rate) {
  SigpipeIgnored guard;
  return S().connection && spd_set_voice_rate(S().connection, std::clamp(rate, -100, 100)) == 0;
}

long Say(std::string_view utf8) {
  if (!S().connection) return -1;
  SigpipeIgnored guard;
  const std::string text(utf8);
  const int id = spd_say(S().connection, SPD_TEXT, text.c_str());
  return id > 0 ? id : -1;
}

bool Cancel() {
  SigpipeIgnored guard;
  return S().connection && spd_cancel(S().connection) == 0;
}

bool Alive() {
  SPDConnection* c = S().connection;
  if (!c) return false;
  pollfd p{c->socket, POLLRDHUP, 0};
  if (::poll(&p, 1, 0) < 0) return true;
  return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0;
}

void Disconnect() {
  State& s = S();
  if (!s.connection) return;
  SigpipeIgnored guard;
  spd_close(s.connection);
  s.connection = nullptr;
}

}  // namespace Sapi5Speechd
