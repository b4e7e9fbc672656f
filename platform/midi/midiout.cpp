// MIDI short messages played by FluidSynth; the synthesizer renders 44100 Hz 16-bit stereo
// on the audio device's own thread (FluidSynth's calls are thread-safe). With capture, the
// sound goes to the capture file's "-midi" sibling (waveout.h).
#include "platform/midi/midiout.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <memory>

#include "platform/audio/waveout.h"

namespace MidiOut {
namespace {

constexpr int kRate = 44100;
constexpr int kErrInvalidHandle = 5;
constexpr int kErrInvalidParam = 11;

struct State {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  std::unique_ptr<WaveOut::Device> device;
  uint32_t last = 0;
};

State& S() {
  static State state;
  return state;
}

void Render(void* context, uint8_t* out, std::size_t bytes) {
  auto* synth = static_cast<fluid_synth_t*>(context);
  const int frames = static_cast<int>(bytes / 4);
  fluid_synth_write_s16(synth, frames, out, 0, 2, out, 1, 2);
}

void Quiet() {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
}

}  // namespace

int Open() {
  State& s = S();
  if (s.synth) return 0;
  Quiet();
  const char* env = std::getenv("FONIX_SOUNDFONT");
  const char* font = env && *env ? env : "/usr/share/sounds/sf2/FluidR3_GM.sf2";
  s.settings = new_fluid_settings();
  if (!s.settings) return kErrInvalidHandle;
  fluid_settings_setnum(s.settings, "synth.sample-rate", kRate);
  s.synth = new_fluid_synth(s.settings);
  int rc = 0;
  if (!s.synth || fluid_synth_sfload(s.synth, font, 1) == FLUID_FAILED) rc = 6;
  if (rc == 0) {
    s.device = WaveOut::OpenChosen("midi");
    rc = s.device->OpenStream(-1, WaveOut::Format{kRate, 16, 2}, Render, s.synth);
  }
  if (rc != 0) Close();
  return rc;
}

int ShortMessage(uint32_t message) {
  State& s = S();
  s.last = message;
  if (!s.synth) return kErrInvalidHandle;
  const int status = message & 0xFF;
  const int d1 = (message >> 8) & 0x7F;
  const int d2 = (message >> 16) & 0x7F;
  const int channel = status & 0x0F;
  int rc = FLUID_OK;
  switch (status & 0xF0) {
    case 0x80: rc = fluid_synth_noteoff(s.synth, channel, d1); break;
    case 0x90: rc = d2 == 0 ? fluid_synth_noteoff(s.synth, channel, d1) : fluid_synth_noteon(s.synth, channel, d1, d2); break;
    case 0xA0: rc = fluid_synth_key_pressure(s.synth, channel, d1, d2); break;
    case 0xB0: rc = fluid_synth_cc(s.synth, channel, d1, d2); break;
    case 0xC0: rc = fluid_synth_program_change(s.synth, channel, d1); break;
    case 0xD0: rc = fluid_synth_channel_pressure(s.synth, channel, d1); break;
    case 0xE0: rc = fluid_synth_pitch_bend(s.synth, channel, d1 | (d2 << 7)); break;
    default:
      if (status == 0xFF) fluid_synth_system_reset(s.synth);
      // Other system bytes and stray data bytes (no running status yet) are ignored.
      return 0;
  }
  // A note off for a note that does not sound is no fault.
  if ((status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && d2 == 0)) return 0;
  return rc == FLUID_OK ? 0 : kErrInvalidParam;
}

void Close() {
  State& s = S();
  if (s.device) s.device->Close();  // the render has ended when this returns
  s.device.reset();
  if (s.synth) delete_fluid_synth(s.synth);
  if (s.settings) delete_fluid_settings(s.settings);
  s.synth = nullptr;
  s.settings = nullptr;
}

bool IsOpen() { return S().synth != nullptr; }

uint32_t LastMessage() { return S().last; }

}  // namespace MidiOut
