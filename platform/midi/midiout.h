// The MIDI output device: a General MIDI synthesizer (FluidSynth with the system's sound
// font) taking three-byte short messages, its sound on the audio device of FONIX_AUDIO.
#pragma once

#include <cstdint>

namespace MidiOut {

// Opens the synthesizer with the sound font of FONIX_SOUNDFONT, by default
// /usr/share/sounds/sf2/FluidR3_GM.sf2. 0, or an error code when there is no synthesizer,
// no sound font or no audio device (then every message fails with 5, quietly).
int Open();
// status + data1 × 256 + data2 × 65536. 0, or an error code: 5 when not open, 11 when the
// synthesizer refuses the message.
int ShortMessage(uint32_t message);
void Close();
bool IsOpen();
// The last message handed to ShortMessage, open or not.
uint32_t LastMessage();

}  // namespace MidiOut
