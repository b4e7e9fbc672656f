// The SAPI 5 voice on Speech Dispatcher: a connection named after this program, the chosen
// voice among the output module's Portuguese voices, texts sent whole, and the server's
// end and cancel notices, taken in the event loop, telling exactly when it has gone silent.
// When the server goes away mid-run the user hears the system beep once and speech goes on
// through the built-in path.
#include "speech/server_sapi5.h"

#include <errno.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "console/console.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/events/messages.h"
#include "platform/speech/sapi5_speechd.h"
#include "speech/speech_state.h"
#include "speech/text_walk.h"
#include "audio/sound_queue.h"

namespace Sapi5Voice {
namespace {

// The voices a Portuguese speaker can choose by number: the module's Portuguese voices,
// Brazilian ones first; all its voices when it has none in Portuguese.
std::vector<Sapi5Speechd::Voice> NumberedVoices() {
  std::vector<Sapi5Speechd::Voice> all = Sapi5Speechd::Voices();
  std::vector<Sapi5Speechd::Voice> brazilian, portuguese;
  for (const auto& v : all) {
    const std::string language = TextKit::AsciiLowerText(v.language);
    if (language == "pt-br") brazilian.push_back(v);
    else if (language == "pt" || language.starts_with("pt-")) portuguese.push_back(v);
  }
  brazilian.insert(brazilian.end(), portuguese.begin(), portuguese.end());
  return brazilian.empty() ? all : brazilian;
}

void OnNotice(const Messages::Message& m) {
  State& s = St();
  if (m.value == Sapi5Speechd::kBegun) s.lastBeginMs = Messages::NowMs();
  else s.unended.erase(m.data);
}

// The server went away: what it was saying is over, and from now on texts are walked here.
void Lose() {
  State& s = St();
  if (s.lost) return;
  s.lost = true;
  s.unended.clear();
  Sapi5Speechd::Disconnect();
  SoundQueue::RingBell();
}

// Control bytes are not text for the server (and a line break would end a message).
std::string ServerText(std::string_view text) {
  std::string t(text.empty() ? std::string_view(" ") : text);
  for (char& c : t)
    if (static_cast<uint8_t>(c) < 32 || c == 127) c = ' ';
  return Cp1252::ToUtf8(t);
}

// Sleeps `ms`, handling messages meanwhile.
void PumpFor(int ms) {
  const int64_t until = Messages::NowMs() + ms;
  for (int64_t now = Messages::NowMs(); now < until; now = Messages::NowMs()) {
    Messages::WaitMessage(static_cast<int>(until - now));
    Messages::PumpMessages();
  }
}

}  // namespace

State& St() {
  static State state;
  return state;
}

int ServerRate(int sapiRate) { return std::clamp(sapiRate, -10, 10) * 10; }

// The placeholder module Speech Dispatcher runs when no synthesizer is installed.
constexpr const char* kPlaceholderModule = "dummy";

bool Open(int voice, int rate, std::string_view outputFile) {
  Close();
  // The server speaks to the user's own sound; a file of its own is not offered.
  if (!outputFile.empty()) return false;
  if (!Sapi5Speechd::Connect(program_invocation_short_name)) return false;
  const std::string module = Sapi5Speechd::OutputModule();
  if (module.empty() || module == kPlaceholderModule) {
    Sapi5Speechd::Disconnect();
    return false;
  }
  // Voice 0 is the first: the module's own Brazilian Portuguese voice at the usual rate, without
  // listing voices (eSpeak NG's module has thousands and takes seconds to list them).
  if (voice < 1) {
    Sapi5Speechd::SetLanguage("pt-BR");
    Sapi5Speechd::SetRate(0);
  } else {
    const std::vector<Sapi5Speechd::Voice> voices = NumberedVoices();
    if (voices.empty()) {
      Sapi5Speechd::Disconnect();
      return false;
    }
    if (static_cast<std::size_t>(voice) > voices.size()) {
      voice = 1;
      rate = 0;
    }
    const Sapi5Speechd::Voice& chosen = voices[static_cast<std::size_t>(voice) - 1];
    Sapi5Speechd::SetLanguage(chosen.language.empty() ? "pt-BR" : chosen.language);
    Sapi5Speechd::SetVoice(chosen.name);
    Sapi5Speechd::SetRate(ServerRate(rate));  // a refusal leaves the user's own rate
  }
  State& s = St();
  s = State{};
  s.open = true;
  Console::SetMessageHook(Messages::Kind::SpeechDone, OnNotice);
  return true;
}

void Speak(std::string_view text) {
  State& s = St();
  if (!s.open) return;
  if (!s.lost) {
    if (Sapi5Speechd::Alive()) {
      const long id = Sapi5Speechd::Say(ServerText(text));
      if (id > 0) {
        s.unended.insert(static_cast<std::size_t>(id));
        s.lastSent = id;
        return;
      }
    }
    Lose();
  }
  Speech::WalkText(text);
}

bool IsSpeaking(bool) {
  Messages::PumpMessages();
  State& s = St();
  if (!s.open || s.lost || s.unended.empty()) return false;
  if (!Sapi5Speechd::Alive()) {
    Lose();
    return false;
  }
  // Up to 20 ms for the end notice; any other message ends the wait early, and a key waiting
  // (the caller is about to stop) does not wait at all.
  if (Speech::KeyWaiting()) return true;
  const int64_t until = Messages::NowMs() + 20;
  for (int64_t now = Messages::NowMs(); now < until && !s.unended.empty(); now = Messages::NowMs()) {
    Messages::WaitMessage(static_cast<int>(until - now));
    if (Messages::PumpMessages() > 0) break;
  }
  if (s.unended.empty()) return false;
  Messages::Message busy;
  busy.kind = Messages::Kind::ServerBusy;
  Messages::Post(busy);
  return true;
}

void Stop() {
  State& s = St();
  if (!s.open || s.lost) return;
  if (!Sapi5Speechd::Cancel() && !Sapi5Speechd::Alive()) {
    Lose();
    return;
  }
  PumpFor(50);
  // Cancelled: whatever notice is still on its way changes nothing.
  s.unended.clear();
}

void Close() {
  State& s = St();
  if (!s.open) return;
  while (IsSpeaking(false)) PumpFor(300);
  Sapi5Speechd::Disconnect();
  Console::SetMessageHook(Messages::Kind::SpeechDone, nullptr);
  s = State{};
}

void Reset() {
  Sapi5Voice::Close();
  St() = State{};
}

}  // namespace Sapi5Voice
