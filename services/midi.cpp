// The MIDI output operations on the platform's MIDI device.
#include "services/midi.h"

#include <cstdint>
#include <string_view>

#include "console/console.h"
#include "platform/text/cp1252.h"
#include "platform/midi/midiout.h"

namespace Midi {
namespace {

struct State {
  int lastResult = 0;  // of the last MIDI call
};

State& S() {
  static State state;
  return state;
}

uint32_t Pack(int status, int data1, int data2) {
  return static_cast<uint32_t>(status & 0xFF) + static_cast<uint32_t>(data1 & 0xFF) * 256 +
         static_cast<uint32_t>(data2 & 0xFF) * 65536;
}

}  // namespace

void MidiOpen() {
  S().lastResult = MidiOut::Open();
  S().lastResult = MidiOut::ShortMessage(255);
  S().lastResult = MidiOut::ShortMessage(63);
}

void MidiNote(int channel, int note, int velocity) {
  S().lastResult = MidiOut::ShortMessage(Pack(0x90 + (channel & 0x0F), note, velocity));
}

void MidiProgram(int channel, int program) {
  S().lastResult = MidiOut::ShortMessage(Pack(0xC0 + (channel & 0x0F), program, 0));
  if (S().lastResult != 0) {
    constexpr std::string_view kText = "erro em ProgramChange\r\n"_cp;
    Console::StdoutWrite(kText);
  }
}

void MidiClose() {
  MidiOut::Close();
  S().lastResult = 0;
}

int LastResult() { return S().lastResult; }

}  // namespace Midi
