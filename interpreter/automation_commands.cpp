// The commands that operate other programs on the desktop: DIGITA types text, ACIONA
// presses a key combination, CLICA clicks or moves the pointer, LE MOUSE reads the pointer,
// CAPTURA reads titles and fields, SENSOR reads the sensor board on the parallel port.
#include <string>

#include "console/console.h"
#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/desktop_focus.h"
#include "platform/input/input.h"
#include "platform/system/parport.h"
#include "platform/desktop/x_clipboard.h"
#include "services/desktop_windows.h"
#include "services/input_simulation.h"
#include "services/msaa.h"
#include "speech/speech.h"

namespace {

constexpr int kKeyDelayMs = 100;
constexpr std::size_t kTitleLimit = 255;
constexpr std::size_t kFieldLimit = 255;
// Windows puts the window-relative y this far below the frame's top edge.
constexpr long kTopOffset = 4;

struct State {
  bool sensorTried = false;
  bool sensorPort = false;
  uint8_t baseline = 0;
};

State& S() {
  static State state;
  return state;
}

bool TakeWord(std::string_view& args, std::string_view word) {
  if (!Text::StartsWithFolded(args, word)) return false;
  args = Text::Trim(args.substr(word.size()));
  return true;
}

bool ReadInteger(std::string_view& args, int64_t& out) {
  const auto n = Values::ReadNumber(args);
  if (!n) return false;
  out = *n;
  return true;
}

// The origin of window-relative coordinates: the foreground window's left edge plus its
// frame's side, and its top edge plus 4 pixels; the screen corner when no window is in front.
void WindowOrigin(int64_t& x, int64_t& y) {
  x = y = 0;
  DesktopFocus::Frame frame;
  if (!DesktopFocus::OuterFrame(Desktop::ActiveWindow(), frame)) return;
  x = frame.left + frame.borderLeft;
  y = frame.top + kTopOffset;
}

// The virtual-key code of a key name, "#code" or a single character; 0 when none.
int KeyNameCode(const std::string& name) {
  struct Named {
    const char* name;
    int vk;
  };
  static constexpr Named kNames[] = {
      {"UP", 38},    {"DOWN", 40},     {"LEFT", 37},   {"RIGHT", 39},  {"ESCAPE", 27}, {"ESC", 27},
      {"ENTER", 13}, {"RETURN", 13},   {"BACKSPACE", 8}, {"TAB", 9},   {"INS", 45},    {"HOME", 36},
      {"DEL", 46},   {"DELETE", 46},   {"END", 35},    {"PAGEUP", 33}, {"PRIOR", 33},  {"PAGEDN", 34},
      {"NEXT", 34},  {"SNAPSHOT", 44}};
  for (const Named& n : kNames)
    if (name == n.name) return n.vk;
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    const auto n = Values::NumericValue(std::string_view(name).substr(1));
    if (n && *n >= 1 && *n <= 12 && Text::IsDigit(name[1])) return 111 + *n;
  }
  if (name.size() >= 2 && name[0] == '#') {
    for (std::size_t i = 1; i < name.size(); ++i)
      if (!Text::IsDigit(name[i])) return 0;
    const auto n = Values::NumericValue(std::string_view(name).substr(1));
    return n && *n >= 1 && *n <= 255 ? *n : 0;
  }
  if (name.size() == 1) return static_cast<uint8_t>(name[0]);
  return 0;
}

std::string Decimal(int64_t n) { return std::to_string(n); }

}  // namespace

namespace Commands {

bool Digita(std::string_view args) {
  const bool noEnter = Values::TakeTrailingAmpersand(args);
  std::string text;
  if (!Values::ReadValue(args, text) || !args.empty()) return false;
  // Without a display the keys would go nowhere: nothing waits for them.
  if (!Input::Available()) return true;
  InputSimulation::TypeText(text, kKeyDelayMs);
  if (!noEnter) InputSimulation::SendKeyCombo(13, false, false, false, kKeyDelayMs);
  return true;
}

bool Aciona(std::string_view args) {
  std::string value;
  if (!Values::ReadValue(args, value) || !args.empty() || value.empty()) return false;
  if (value.size() == 1) {
    if (Input::Available()) InputSimulation::PressCharKey(static_cast<uint8_t>(value[0]));
    return true;
  }
  std::string name = Text::Fold(value);
  bool ctrl = false, shift = false, alt = false;
  auto take = [&](std::string_view prefix, bool& flag) {
    if (name.starts_with(prefix)) {
      flag = true;
      name.erase(0, prefix.size());
    }
  };
  take("CTRL+", ctrl);
  take("SHIFT+", shift);
  take("ALT+", alt);
  const int vk = KeyNameCode(name);
  if (vk == 0) return false;
  if (Input::Available()) InputSimulation::SendKeyCombo(static_cast<uint16_t>(vk), ctrl, shift, alt, kKeyDelayMs);
  return true;
}

bool Clica(std::string_view args) {
  args = Text::Trim(args);
  enum class Kind { Single, Double, Move } kind = Kind::Single;
  if (TakeWord(args, "DUPLO")) kind = Kind::Double;
  else if (TakeWord(args, "NULO")) kind = Kind::Move;
  int64_t originX = 0, originY = 0;
  if (!TakeWord(args, "TELA")) WindowOrigin(originX, originY);
  int64_t x = 0, y = 0;
  if (!ReadInteger(args, x)) return false;
  if (!args.empty() && args[0] == ',') args = Text::Trim(args.substr(1));
  if (!ReadInteger(args, y)) return false;
  switch (kind) {
    case Kind::Single: InputSimulation::ClickAt(originX + x, originY + y); break;
    case Kind::Double: InputSimulation::DoubleClickAt(originX + x, originY + y); break;
    case Kind::Move: InputSimulation::MoveTo(originX + x, originY + y); break;
  }
  return args.empty();
}

bool LeMouse(std::string_view args) {
  args = Text::Trim(args);
  int64_t originX = 0, originY = 0;
  if (!TakeWord(args, "TELA")) WindowOrigin(originX, originY);
  int codeX = 0, codeY = 0;
  if (!Values::ReadVariableRef(args, codeX) || !Values::ReadVariableRef(args, codeY) || !args.empty()) return false;
  int x = 0, y = 0;
  if (!Input::PointerPosition(x, y)) originX = originY = 0;  // no display: the pointer is nowhere
  Variables::SetVariable(codeX, Decimal(x - originX));
  Variables::SetVariable(codeY, Decimal(y - originY));
  return true;
}

bool Captura(std::string_view args) {
  args = Text::Trim(args);
  const std::size_t space = args.find(' ');
  const std::string word = Text::Fold(args.substr(0, space));
  args = space == std::string_view::npos ? std::string_view() : Text::Trim(args.substr(space));
  int code = 0;
  if (!Values::ReadVariableRef(args, code)) return false;
  std::string text;
  if (word == "TITULO" || word == "TÍTULO"_cp || word == "ATIVA") {
    text = DesktopWindows::ForegroundTitle(kTitleLimit);
  } else if (word == "FOCO") {
    text = DesktopFocus::FocusedWindowName(kTitleLimit);
  } else if (word == "CAMPO") {
    // Home, Shift+End, Ctrl+Insert: the field's line selected and copied.
    if (Input::Available()) {
      InputSimulation::SendKeyCombo(36, false, false, false, kKeyDelayMs);
      InputSimulation::SendKeyCombo(35, false, true, false, kKeyDelayMs);
      InputSimulation::SendKeyCombo(45, true, false, false, kKeyDelayMs);
    }
    if (!XClipboard::Read(text)) text = Console::ConsolePasteText(kFieldLimit + 1);
    if (text.size() > kFieldLimit) text.resize(kFieldLimit);
  }
  Variables::SetVariable(code, text);
  return true;
}

bool Sensor(std::string_view args) {
  State& s = S();
  if (!s.sensorTried) {
    s.sensorTried = true;
    s.sensorPort = Parport::Open();
    if (!s.sensorPort) {
      Speech::WriteLineAndSpeak("inpout32.dll não disponível."_cp);
    } else {
      Parport::Out(890, 255);
      Console::ConsoleDelay(1);
      Parport::Out(888, 1);
      Console::ConsoleDelay(1);
      s.baseline = Parport::In(889);
    }
  }
  int code = 0;
  if (!Values::ReadVariableRef(args, code)) return false;
  int active = 0;
  if (s.sensorPort) {
    // Every row is scanned, as the board expects its full cycle; the lowest sensor counts.
    for (int row = 0; row < 8; ++row) {
      Parport::Out(890, 255);
      Console::ConsoleDelay(1);
      Parport::Out(888, static_cast<uint8_t>(255 - (128 >> row)));
      Console::ConsoleDelay(1);
      const auto bits = static_cast<uint8_t>(Parport::In(889) ^ s.baseline);
      for (int k = 0; k < 4 && active == 0; ++k)
        if (bits & (0x80 >> k)) active = 4 * row + k + 1;
    }
  }
  Variables::SetVariable(code, Decimal(active));
  return true;
}

void ResetAutomation() {
  S() = State{};
  Parport::ResetParport();
  Input::ResetInput();
  DesktopFocus::ResetDesktopFocus();
  XClipboard::ResetXClipboard();
  Msaa::ResetMsaa();
}

}  // namespace Commands
