// The key queue and the translation of key, character and mouse messages into key codes:
// characters as they are (Ctrl+Enter 10, Ctrl+Backspace 127), extended keys as 0 and a
// code, Ctrl+Alt with a letter or digit as 0 and its Alt code, mouse buttons as keys.
#include "console/keyboard.h"

#include <cstring>

#include "console/braille_display.h"
#include "console/braille_input.h"
#include "console/console.h"
#include "platform/events/keys.h"

namespace Keyboard {
namespace {

struct State {
  uint8_t queue[kQueueSize] = {};
  int count = 0;
  bool clickGuard = false;
};

State& S() {
  static State state;
  return state;
}

struct Extended {
  uint16_t vk;
  uint8_t plain;
  uint8_t ctrl;
};

constexpr Extended kExtended[] = {
    {Keys::VK_F1, 59, 94},       {Keys::VK_F1 + 1, 60, 95},  {Keys::VK_F1 + 2, 61, 96},
    {Keys::VK_F1 + 3, 62, 97},   {Keys::VK_F1 + 4, 63, 98},  {Keys::VK_F1 + 5, 64, 99},
    {Keys::VK_F1 + 6, 65, 100},  {Keys::VK_F1 + 7, 66, 101}, {Keys::VK_F1 + 8, 67, 102},
    {Keys::VK_F1 + 9, 68, 103},  {Keys::VK_F11, 69, 104},    {Keys::VK_F12, 70, 105},
    {Keys::VK_INSERT, 82, 255},  {Keys::VK_DELETE, 83, 83},  {Keys::VK_HOME, 71, 119},
    {Keys::VK_END, 79, 117},     {Keys::VK_PRIOR, 73, 132},  {Keys::VK_NEXT, 81, 118},
    {Keys::VK_UP, 72, 113},      {Keys::VK_DOWN, 80, 114},   {Keys::VK_LEFT, 75, 115},
    {Keys::VK_RIGHT, 77, 116},
};

// Code after the 0 byte for Alt with A..Z, then for the digits 0..9.
constexpr uint8_t kAltLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
constexpr uint8_t kAltDigits[10] = {129, 120, 121, 122, 123, 124, 125, 126, 127, 128};

const Extended* FindExtended(uint16_t vk) {
  for (const Extended& e : kExtended)
    if (e.vk == vk) return &e;
  return nullptr;
}

void QueueExtended(uint8_t code) {
  const uint8_t bytes[2] = {0, code};
  QueueBytes(bytes, 2, kQueueSize);
}

void OnChar(const Messages::Message& m) {
  State& s = S();
  uint8_t c = m.ch;
  // In braille input the chords make the letters and the space.
  if (BrailleInput::Mode() != 0 && (c == ' ' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return;
  if (s.count >= kQueueSize) return;
  const bool ctrl = m.mods & Keys::kCtrl;
  if (c == 8) c = ctrl ? 127 : 8;
  else if (c == 13) c = ctrl ? 10 : 13;
  QueueBytes(&c, 1);
}

void OnKeyDown(const Messages::Message& m) {
  State& s = S();
  const bool ctrl = m.mods & Keys::kCtrl;
  const bool alt = m.mods & Keys::kAlt;
  const bool shift = m.mods & Keys::kShift;
  if (m.vk == Keys::VK_CANCEL && ctrl) Console::ConsoleDone(3);
  if (alt && ctrl && m.vk == Keys::VK_F12) return BrailleInput::SetMode(0, true);
  if (alt && ctrl && m.vk == Keys::VK_F11) return BrailleInput::NextMode();
  if (alt && m.vk >= 'A' && m.vk <= 'Z') return QueueExtended(kAltLetters[m.vk - 'A']);
  if (alt && m.vk >= '0' && m.vk <= '9') return QueueExtended(kAltDigits[m.vk - '0']);
  if (!ctrl && BrailleInput::KeyDown(m.vk, ctrl)) return;
  if (s.count > kQueueSize - 2) return;
  const Extended* e = FindExtended(m.vk);
  if (!e) return;
  uint8_t code = ctrl ? e->ctrl : e->plain;
  if (!ctrl && m.vk == Keys::VK_INSERT) code = shift ? 254 : 82;
  QueueExtended(code);
}

void OnMouse(const Messages::Message& m) {
  State& s = S();
  if (s.clickGuard) {
    s.clickGuard = false;
    return;
  }
  if (m.kind == Messages::Kind::MouseWheel) {
    if (m.value != 0) QueueExtended(m.value < 0 ? 80 : 72);
  } else if (m.value == 0) {
    const uint8_t enter = 13;
    QueueBytes(&enter, 1);
  } else if (m.value == 1) {
    const uint8_t esc = 27;
    QueueBytes(&esc, 1);
  } else {
    QueueExtended(67);
  }
}

}  // namespace

bool QueueBytes(const uint8_t* bytes, int count, int limit) {
  State& s = S();
  if (s.count + count > limit) return false;
  std::memcpy(s.queue + s.count, bytes, static_cast<std::size_t>(count));
  s.count += count;
  return true;
}

void HandleMessage(const Messages::Message& m) {
  switch (m.kind) {
    case Messages::Kind::Char:
      OnChar(m);
      break;
    case Messages::Kind::KeyDown:
      OnKeyDown(m);
      break;
    case Messages::Kind::KeyUp:
      if (const int c = BrailleInput::KeyUp(m.vk, m.mods & Keys::kCtrl); c >= 0) {
        const uint8_t byte = static_cast<uint8_t>(c);
        QueueBytes(&byte, 1);
      }
      break;
    case Messages::Kind::SysKeyDown:
      // Alt+Left, Alt+Right and Alt+F1 are read as Left, Right and F1; readers ask for Alt
      // themselves (the line editor ends with code 104 on Alt+F1).
      if (m.vk == Keys::VK_LEFT || m.vk == Keys::VK_RIGHT || m.vk == Keys::VK_F1) {
        Messages::Message plain = m;
        plain.mods = static_cast<uint8_t>(m.mods & ~Keys::kAlt);
        OnKeyDown(plain);
      }
      break;
    case Messages::Kind::MouseDown:
    case Messages::Kind::MouseWheel:
      OnMouse(m);
      break;
    case Messages::Kind::Focus:
      S().clickGuard = m.value == 1 && m.mods != 0;
      break;
    default:
      break;
  }
}

bool ConsoleKeyPressed() {
  Console::ConsoleInit();
  Messages::PumpMessages();
  return S().count > 0;
}

uint8_t ConsoleReadKey() {
  Console::ConsoleInit();
  State& s = S();
  for (;;) {
    Messages::PumpMessages();
    if (s.count > 0) break;
    // Keys typed on a braille display may still come when the device has none left.
    if (Console::Device().InputExhausted() && !BrailleDisplay::On()) Console::ConsoleDone(3);
    if (ConsoleDevice::WindowDevice* window = Console::DeviceWindow()) window->SetReading(true);
    Messages::WaitMessage(-1);
  }
  if (ConsoleDevice::WindowDevice* window = Console::DeviceWindow()) window->SetReading(false);
  const uint8_t key = s.queue[0];
  std::memmove(s.queue, s.queue + 1, static_cast<std::size_t>(s.count - 1));
  --s.count;
  return key;
}

std::string ConsoleReadLine(std::size_t capacity) {
  std::string line;
  for (;;) {
    const uint8_t key = ConsoleReadKey();
    if (key == 13) break;
    if (key == 8) {
      if (!line.empty()) {
        line.pop_back();
        Console::ConsoleWriteChar(8);
      }
    } else if (key >= 32 && line.size() + 2 < capacity) {
      line.push_back(static_cast<char>(key));
      Console::ConsoleWriteChar(key);
    }
  }
  line += "\r\n";
  Console::ConsoleWrite("\r\n");
  return line;
}

std::string ShiftStateDigits() {
  const uint8_t mods = Console::Device().Modifiers();
  std::string digits;
  digits += (mods & Keys::kShift) ? '1' : '0';
  digits += (mods & Keys::kCtrl) ? '1' : '0';
  digits += (mods & Keys::kAlt) ? '1' : '0';
  return digits;
}

bool TakeEscape() {
  Messages::PumpMessages();
  State& s = S();
  bool found = false;
  int kept = 0;
  for (int i = 0; i < s.count; ++i) {
    // A zero byte and the next one are one extended key (its scan code may be 27).
    if (s.queue[i] == 0 && i + 1 < s.count) {
      s.queue[kept++] = s.queue[i++];
      s.queue[kept++] = s.queue[i];
      continue;
    }
    if (s.queue[i] == 27) {
      found = true;
      continue;
    }
    s.queue[kept++] = s.queue[i];
  }
  s.count = kept;
  return found;
}

void DiscardWaitingKeys() {
  Console::ConsoleInit();
  Console::Device().DiscardTypedKeys();
  ClearQueue();
}

int QueueCount() { return S().count; }
void ClearQueue() { S().count = 0; }

void ResetKeyboard() {
  BrailleInput::ResetBrailleInput();
  State& s = S();
  s.count = 0;
  s.clickGuard = false;
}

}  // namespace Keyboard
