// State of the sound commands that outlives one command: whether MIDI output is open.
#pragma once

namespace SoundCommands {

bool MidiIsOpen();
// Tests: MIDI closed, every MCI device closed.
void ResetSoundCommands();

}  // namespace SoundCommands
