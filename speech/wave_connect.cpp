// Joins the sound queue to the console: its completions come back through the console's
// window procedure, a key waiting in the console's queue interrupts it, SAIDADEAUDIO names
// its device, and a buffer the device gave back wrongly is told on the console.
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings_keys.h"
#include "speech/speech.h"
#include "audio/sound_queue.h"

namespace Speech {
namespace {

bool KeyPressed() { return Keyboard::ConsoleKeyPressed(); }

// The text (when there is one), then a wait for Enter.
void ReportDeviceError(std::string_view text) {
  if (!text.empty()) Console::ConsoleWrite(std::string(text) + "\r\n");
  while (Keyboard::ConsoleReadKey() != 13) {
  }
}

}  // namespace

void ConnectSoundQueue() {
  Console::SetMessageHook(Messages::Kind::WaveDone, SoundQueue::HandleCompletion);
  SoundQueue::SetHooks({KeyPressed, Settings::ReadSaidaDeAudio, ReportDeviceError});
}

}  // namespace Speech
