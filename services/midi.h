// MIDI output for the MIDI script command: one process-wide output opened on the General
// MIDI synthesizer, notes on and off, and instrument changes, as three-byte short messages.
#pragma once

namespace Midi {

// Opens the output and sends the two reset bytes 255 and 63. A missing synthesizer or sound
// font fails quietly; the notes then do nothing.
void MidiOpen();
// Note on: 0x90 + channel, note, velocity; velocity 0 is a note off.
void MidiNote(int channel, int note, int velocity);
// Program change: 0xC0 + channel, program; a refused send writes "erro em ProgramChange".
void MidiProgram(int channel, int program);
// Closes the output; the state is then as at start.
void MidiClose();
// The result of the last MIDI call.
int LastResult();

}  // namespace Midi
