// The menu engine: items and marks, scrolling, drawing the rectangle in the item colours,
// speaking the current item, and the keys that walk, mark and leave the menu.
#include "interpreter/menu.h"

#include <algorithm>

#include "console/console.h"
#include "console/keyboard.h"
#include "console/magnifier.h"
#include "ui/screen_review.h"
#include "platform/events/keys.h"
#include "speech/speech.h"

namespace Menu {
namespace {

int Count() { return static_cast<int>(St().items.size()); }
bool Valid(int index) { return index >= 0 && index < Count(); }

void Mark(int index, bool on) {
  if (Valid(index)) St().marks[static_cast<std::size_t>(index)] = on;
}
bool Marked(int index) { return Valid(index) && St().marks[static_cast<std::size_t>(index)]; }

void MarkRange(int from, int to, bool on) {
  for (int i = std::max(from, 0); i <= std::min(to, Count() - 1); ++i) Mark(i, on);
}

// Keeps the current item inside the rectangle.
void Scroll() {
  State& s = St();
  const long long rows = s.rows;
  if (s.current < s.firstVisible) s.firstVisible = s.current;
  else if (s.current >= s.firstVisible + rows) s.firstVisible = static_cast<int>(std::max<long long>(s.current - rows + 1, 0));
  if (s.current < 0) s.current = -1;
  if (s.firstVisible < 0) s.firstVisible = 0;
}

// A character key: true when it ends the menu.
bool OnCharacter(uint8_t key) {
  State& s = St();
  switch (key) {
    case ' ': Mark(s.current, !Marked(s.current)); return false;
    case '+': Mark(s.current, true); return false;
    case '-': Mark(s.current, false); return false;
    case '*': MarkRange(0, Count() - 1, true); return false;
    case '/': MarkRange(0, Count() - 1, false); return false;
    default: return true;
  }
}

// An extended key: true when it ends the menu.
bool OnExtended(uint8_t code, bool shift, bool alt) {
  State& s = St();
  switch (code) {
    case Keyboard::kExtDown:
    case 9:
      if (shift && Valid(s.current) && !Marked(s.current)) {
        Speech::PlayBeep();
        Mark(s.current, true);
      }
      ++s.current;
      if (shift) Mark(s.current, true);
      break;
    case Keyboard::kExtUp:
      if (shift) Mark(s.current, false);
      --s.current;
      break;
    case Keyboard::kExtPageUp: s.current -= 10; break;
    case Keyboard::kExtPageDown: s.current += 10; break;
    case Keyboard::kExtHome:
    case Keyboard::kExtCtrlPageUp:
      if (shift) MarkRange(0, s.current, false);
      Speech::PlayBeep();
      s.current = 0;
      break;
    case Keyboard::kExtCtrlHome:
      if (shift) MarkRange(0, s.current, true);
      Speech::PlayBeep();
      s.current = 0;
      break;
    case Keyboard::kExtEnd:
    case Keyboard::kExtCtrlPageDown:
      if (shift) MarkRange(s.current, Count() - 1, true);
      Speech::PlayBeep();
      s.current = Count() - 1;
      break;
    case Keyboard::kExtCtrlEnd:
      if (shift) MarkRange(s.current, Count() - 1, false);
      s.current = Count() - 1;
      Speech::PlayBeep();
      break;
    default:
      if (code == 102 && alt) {
        ScreenReview::ScreenReview();
        break;
      }
      if ((code >= 59 && code <= 70) || code == 75 || code == 77 || (code >= 94 && code <= 105) || code == 115 ||
          code == 116)
        return true;
      break;
  }
  if (s.current < 0) {
    s.current = -1;
    Speech::PlayBeep();
  } else if (s.current >= Count()) {
    s.current = Count();
    Speech::PlayBeep();
  }
  return false;
}

}  // namespace

State& St() {
  static State state;
  return state;
}

void MenuCreate(int left, int top, int right, int bottom) {
  State& s = St();
  s.exists = true;
  s.items.clear();
  s.marks.clear();
  s.left = left;
  s.top = top;
  s.right = right;
  s.bottom = bottom;
  s.rows = static_cast<int>(std::clamp(static_cast<long long>(bottom) - top + 1, -1000000000LL, 1000000000LL));
  s.current = 0;
  s.firstVisible = 0;
  s.startPosition = 1;
}

void MenuAdd(std::string text) {
  State& s = St();
  s.items.push_back(std::move(text));
  s.marks.push_back(false);
}

std::string MenuItem(int position) { return position >= 1 && position <= Count() ? St().items[static_cast<std::size_t>(position - 1)] : std::string(); }

int MenuCount() { return Count(); }

void MenuDraw(bool speak) {
  State& s = St();
  const long long width = std::min<long long>(static_cast<long long>(s.right) - s.left + 1, 81);
  const int savedForeground = s.savedAttribute & 0x0F;
  // Only the rows of the rectangle that are on the screen are drawn.
  const int firstRow = std::max(s.top, 1), lastRow = std::min(s.bottom, Console::kRows);
  for (int row = firstRow; row <= lastRow && width > 0; ++row) {
    const long long i = static_cast<long long>(s.firstVisible) + row - s.top;
    const int index = i > Count() ? Count() : static_cast<int>(i);
    Console::ConsoleSetForeground(index == s.current ? kCurrentColour : Marked(index) ? kMarkedColour : savedForeground);
    std::string text = Valid(index) ? s.items[static_cast<std::size_t>(index)].substr(0, static_cast<std::size_t>(width)) : "";
    text.resize(static_cast<std::size_t>(width), ' ');
    Console::ConsolePutText(s.left, row, text, Console::TextAttribute());
  }
  if (speak) {
    if (Marked(s.current)) Speech::PlayBeep();
    const std::string current = Valid(s.current) ? s.items[static_cast<std::size_t>(s.current)] : "";
    Magnifier::MagnifierShow(current, 1);
    if (Valid(s.current)) Speech::Speak(current);
  }
  const long long row = static_cast<long long>(s.top) + s.current - s.firstVisible;
  Console::ConsoleGotoXY(std::clamp(s.left, 1, Console::kColumns), static_cast<int>(std::clamp<long long>(row, 1, Console::kRows)));
}

RunResult MenuRun(int startPosition, bool speak) {
  State& s = St();
  s.savedAttribute = Console::TextAttribute();
  s.current = std::max(startPosition, 0) - 1;
  RunResult result;
  for (;;) {
    Scroll();
    MenuDraw(speak);
    const uint8_t key = Keyboard::ConsoleReadKey();
    const uint8_t mods = Console::Device().Modifiers();
    if (key != 0) {
      if (OnCharacter(key)) {
        result.character = key;
        break;
      }
    } else {
      const uint8_t code = Keyboard::ConsoleReadKey();
      Speech::StopSpeech();
      if (OnExtended(code, mods & Keys::kShift, mods & Keys::kAlt)) {
        result.extended = code;
        break;
      }
    }
    speak = true;
  }
  Console::SetTextAttribute(s.savedAttribute);
  result.position = s.current + 1;
  Magnifier::MagnifierHide();
  return result;
}

void MenuClose() {
  State& s = St();
  const long long width = std::min<long long>(static_cast<long long>(s.right) - s.left + 1, 81);
  for (int row = std::max(s.top, 1); row <= std::min(s.bottom, Console::kRows) && width > 0; ++row)
    Console::ConsolePutText(s.left, row, std::string(static_cast<std::size_t>(width), ' '), Console::TextAttribute());
  Console::ConsoleGotoXY(std::clamp(s.left, 1, Console::kColumns), std::clamp(s.top, 1, Console::kRows));
  s.items.clear();
  s.marks.clear();
  s.exists = false;
}

void ResetMenu() { St() = State{}; }

}  // namespace Menu
