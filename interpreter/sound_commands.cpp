// The sound commands besides speech: TOCA (media through MCI, waited or not), MENSAGEM (a
// WAVE message through the sound queue), MCI (any command string and its answer) and MIDI
// (notes and instruments on the General MIDI synthesizer).
#include "interpreter/sound_commands.h"

#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/media/mci.h"
#include "platform/headless/transcript.h"
#include "services/midi.h"
#include "speech/speech.h"
#include "audio/sound_queue.h"

namespace SoundCommands {
namespace {

struct State {
  bool midiOpen = false;
};

State& S() {
  static State state;
  return state;
}

// While MCI waits (an address being opened), a key still silences speech; it stays queued.
bool KeyDuringMci() {
  if (!Keyboard::ConsoleKeyPressed()) return false;
  Speech::IsSpeaking();
  return true;
}

std::string SendMci(const std::string& command) {
  Mci::SetIdleHook(KeyDuringMci);
  std::string answer;
  Mci::SendString(command, answer);
  return answer;
}

// Reads one integer operand of MIDI; false when it is missing or not a number.
bool ReadInt(std::string_view& args, int& out) {
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  const auto n = Values::NumericValue(value);
  if (!n) return false;
  out = *n;
  return true;
}

bool InRange(int v, int low, int high) { return v >= low && v <= high; }

}  // namespace

bool MidiIsOpen() { return S().midiOpen; }

void ResetSoundCommands() {
  if (S().midiOpen) Midi::MidiClose();
  S().midiOpen = false;
  Mci::ResetMci();
}

}  // namespace SoundCommands

namespace Commands {

bool Toca(std::string_view args) {
  const bool noWait = Values::TakeTrailingAmpersand(args);
  std::string file;
  if (!Values::ReadValue(args, file) || !args.empty()) return false;
  Transcript::Event("wav", file);
  if (noWait) {
    // Quoted, as the waited form quotes it: a name with blanks plays too.
    SoundCommands::SendMci("play \"" + file + "\"");
    return true;
  }
  SoundCommands::SendMci("open \"" + file + "\" alias myfile");
  SoundCommands::SendMci("play myfile");
  for (;;) {
    Console::ConsoleDelay(100);
    if (Keyboard::ConsoleKeyPressed()) break;
    if (SoundCommands::SendMci("status myfile mode") != "playing") break;
  }
  // A key that ended the playback is consumed with any other waiting.
  while (Keyboard::ConsoleKeyPressed()) Keyboard::ConsoleReadKey();
  SoundCommands::SendMci("stop myfile");
  SoundCommands::SendMci("close myfile");
  return true;
}

bool Mensagem(std::string_view args) {
  std::string file;
  if (!Values::ReadValue(args, file)) return false;
  file = Text::Fold(file);
  if (file.find(".WAV") == std::string::npos) file += ".WAV";
  Transcript::Event("wav", file);
  SoundQueue::PlayFile(file);
  return true;
}

bool Mci(std::string_view args) {
  int code = 0;
  std::string command;
  if (!Values::ReadVariableRef(args, code) || !Values::ReadValue(args, command) || !args.empty()) return false;
  Variables::SetVariable(code, SoundCommands::SendMci(command));
  return true;
}

bool Midi(std::string_view args) {
  const std::string text = Text::Fold(Text::Trim(args));
  if (text.empty()) return false;
  bool& open = SoundCommands::S().midiOpen;
  if (text == "INICIA" && !open) {
    Midi::MidiOpen();
    open = true;
    return true;
  }
  if (text == "TERMINA" && open) {
    Midi::MidiClose();
    open = false;
    return true;
  }
  if (!open) return false;
  if (text == "PANE") {
    for (int channel = 0; channel < 16; ++channel)
      for (int note = 0; note < 128; ++note) Midi::MidiNote(channel, note, 0);
    return true;
  }
  if (text.size() < 2) return false;
  const std::string sub = text.substr(0, 2);
  std::string_view rest = Text::Trim(std::string_view(text).substr(2));
  if (rest.empty()) return false;
  int channel = 0, a = 0, b = 0;
  if (sub == "NL") {
    if (!SoundCommands::ReadInt(rest, channel) || !SoundCommands::ReadInt(rest, a) || !SoundCommands::ReadInt(rest, b) || !rest.empty()) return false;
    if (!SoundCommands::InRange(channel, 1, 16) || !SoundCommands::InRange(a, 0, 127) || !SoundCommands::InRange(b, 0, 127)) return false;
    Midi::MidiNote(channel - 1, a, b);
    return true;
  }
  if (sub == "ND" || sub == "TT") {
    if (!SoundCommands::ReadInt(rest, channel) || !SoundCommands::ReadInt(rest, a) || !rest.empty()) return false;
    if (!SoundCommands::InRange(channel, 1, 16) || !SoundCommands::InRange(a, 0, 127)) return false;
    if (sub == "ND") Midi::MidiNote(channel - 1, a, 0);
    else Midi::MidiProgram(channel - 1, a);
    return true;
  }
  return false;
}

}  // namespace Commands
