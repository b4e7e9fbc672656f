// libFuzzer target: any run of key bytes typed into the line editor (with a proposed text,
// a field size and a place of the input's choosing), the screen review or a menu of the
// input's items, so that every key and every edge meets every state without harm.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/recording_device.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "ui/line_editor.h"
#include "ui/screen_review.h"
#include "interpreter/menu.h"
#include "platform/headless/console_headless.h"
#include "platform/events/messages.h"
#include "speech/speech_state.h"

namespace {

std::vector<uint8_t> gSound;
std::vector<uint8_t> gKeys;
std::size_t gNext = 0;

// The keys as the keyboard queues them, each when the queue is empty. Opening a word (F12)
// would start programs, dialling waits a tenth of a second a digit and a new speed brings
// back the pauses after marks: they are left out.
void Refill() {
  while (Keyboard::QueueCount() == 0 && gNext < gKeys.size()) {
    uint8_t b[2] = {gKeys[gNext++], 0};
    if (b[0] == 28) continue;
    if (b[0] == 0) {
      if (gNext >= gKeys.size()) return;
      b[1] = gKeys[gNext++];
      if (b[1] == 70 || b[1] == 97) continue;
    }
    Keyboard::QueueBytes(b, b[0] == 0 ? 2 : 1);
  }
}

bool Setup() {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "fonix_fuzz_editor";
  setenv("FONIX_DRIVE_C", (root / "c").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
  if (!StartRecordedVoice(gSound, 3)) std::abort();
  auto& timing = Speech::St().timing;
  timing.pausaPonto = timing.pausaVirg = timing.pausaDoisPontos = 0;
  Messages::Source keys;
  keys.fd = [] { return -1; };
  keys.dueInMs = [] { return Keyboard::QueueCount() == 0 && gNext < gKeys.size() ? 0 : -1; };
  keys.drain = Refill;
  Messages::AddSource(std::move(keys));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Setup();
  (void)ready;
  if (size < 4) return 0;
  gSound.clear();
  Console::ResetConsole();
  Keyboard::ResetKeyboard();
  const uint8_t what = data[0] % 3;
  const int column = static_cast<int8_t>(data[1]);  // -128..127: on and off the screen
  const int row = static_cast<int8_t>(data[2]) / 4;
  const int length = data[3] * 9;  // up to 2295: past the largest field
  gKeys.assign(data + 4, data + size);
  gNext = 0;
  try {
    if (what == 0) {
      std::string field(reinterpret_cast<const char*>(data + 4), std::min<std::size_t>(size - 4, 300));
      LineEditor::EditLine(field, column, row, column % 90, length);
    } else if (what == 1) {
      Console::ConsoleWrite(std::string(reinterpret_cast<const char*>(data + 4), size - 4));
      Console::ConsoleGotoXY(column, row);
      ScreenReview::ScreenReview();
    } else {
      Menu::MenuCreate(column, row, column + data[3] - 128, row + static_cast<int8_t>(data[3]) / 8);
      for (std::size_t i = 4; i < size; i += 7)
        Menu::MenuAdd(std::string(reinterpret_cast<const char*>(data + i), std::min<std::size_t>(7 * (i % 5), size - i)));
      Menu::MenuRun(data[1], true);
    }
  } catch (const ProgramExit&) {
    // The keys ran out while a key was awaited.
  }
  return 0;
}
