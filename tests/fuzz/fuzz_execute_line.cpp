// libFuzzer target: arbitrary text as a program whose lines are each executed once, so
// that every reader, condition and command meets malformed input without looping forever.
// The voice is started on a drive C of the target's own, and its sound goes to the unpaced
// null device: what a line says is synthesized in full, but nothing waits for it to play.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "interpreter/run.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "platform/headless/console_headless.h"
#include "platform/files/paths.h"
#include "platform/audio/waveout.h"
#include "speech/diphone_data.h"
#include "speech/speech.h"
#include "speech/speech_data.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"

namespace {

// A throw-away drive C and settings folder, removed when the fuzzer ends. The file commands
// act on what the lines name: every drive is a folder of the run's own, and so is the
// working folder, so no mutated name reaches a file outside it.
struct TempHome {
  std::filesystem::path root;
  TempHome() {
    char base[] = "/tmp/fonix-fuzz-XXXXXX";
    if (!mkdtemp(base)) std::abort();
    root = base;
    for (char d = 'A'; d <= 'Z'; ++d) unsetenv((std::string("FONIX_DRIVE_") + d).c_str());
    setenv("FONIX_DRIVE_C", (root / "c").c_str(), 1);
    setenv("FONIX_DRIVE_Z", (root / "z").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    std::filesystem::create_directories(root / "z");
    if (chdir(root.c_str()) != 0) std::abort();
  }
  ~TempHome() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

void StartVoice() {
  static TempHome home;
  Paths::ResetPaths();
  Settings::ResetSettings();
  Paths::EnsureDriveC();
  SpeechData::InstallSpeechData();
  SpeechData::InstallDiphoneData();
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
  SoundQueue::ResetSoundQueue(WaveOut::OpenNull(WaveOut::Pacing::None));
  Speech::ConnectSoundQueue();
  try {
    Speech::InitSpeech(0, "");
  } catch (const ProgramExit&) {
    // No voice data: the target still runs every command, silently.
  }
  // The pauses after marks are real waits; the fuzzer wants every line to be quick.
  auto& timing = Speech::St().timing;
  timing.pausaPonto = timing.pausaVirg = timing.pausaDoisPontos = 0;
}

}  // namespace

// Installing the speech data on the new drive C takes seconds: it is done before the first
// input, outside the time limit each input has.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartVoice();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  std::string error;
  if (!Interp::SplitProgram(std::string_view(reinterpret_cast<const char*>(data), size), lines, error)) return 0;
  if (lines.size() > 64) lines.resize(64);
  Interp::ResetInterpreter();
  // A clean screen, without making the console anew (which reads its settings again).
  Console::SetTextAttribute(0x0F);
  Console::ConsoleClear();
  Console::ConsoleSetTitle("fuzz");
  Keyboard::ResetKeyboard();
  for (std::size_t n = 0; n < lines.size(); ++n) Interp::StoreLine(lines[n], static_cast<int>(n + 1));
  Interp::State& s = Interp::St();
  for (std::size_t n = 0; n < lines.size(); ++n) {
    s.currentLine = static_cast<int>(n + 1);
    s.stopFlag = s.errorFlag = false;
    try {
      Interp::ExecuteLine(s.lines[n + 1], false);
    } catch (const ProgramExit&) {
      // A read with no keys left closes the window: the program would end here.
    }
  }
  return 0;
}
