// What each key does in the line editor: the extended keys (function keys, arrows, the
// clipboard keys), the control keys and the printable characters with the first-key rule.
#include <string>

#include "console/keyboard.h"
#include "ui/line_editor.h"
#include "ui/line_editor_session.h"
#include "ui/open_word.h"
#include "ui/screen_review.h"
#include "speech/recorded_numbers.h"
#include "speech/speech.h"
#include "speech/speech_state.h"

namespace LineEditor {
namespace {

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 192 && c != 215 && c != 247); }

// Ctrl+F4: the speed is the digit typed after the prompt; Esc or Enter keep it.
void ChangeSpeed() {
  Speech::SpeakWordFile("_VELOC");
  uint8_t key;
  do {
    key = Speech::ReadKeyAndSpeak();
  } while (Keyboard::ConsoleKeyPressed());
  if (key == kEsc || key == kEnter) return;
  const std::string folder = Speech::St().wordsFolder;
  Speech::CloseSpeech();
  Speech::InitSpeech(key - 48, folder);
}

// F12: the word around the cursor, without the marks that often wrap an address.
void OpenWordAtCursor(const Session& s) {
  int from = s.cursor, to = s.cursor;
  while (from > 1 && s.At(from - 1) != ' ') --from;
  while (to <= s.maxLength && s.At(to) != ' ') ++to;
  std::string word = s.text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
  static constexpr std::string_view kMarks = "\"(*-.<=>[_{";
  const std::size_t first = word.find_first_not_of(kMarks);
  if (first == std::string::npos) {
    ErrorTone();
    return;
  }
  word = word.substr(first, word.find_last_not_of(kMarks) - first + 1);
  OpenWord::OpenWord(word);
}

// On the first key that reaches the typing rows, a proposed text is announced by two ticks
// and, when the key types a character, replaced.
void FirstKeyRule(Session& s, bool printable) {
  if (!s.firstKey || !St().clearOnType) return;
  bool proposed = false;
  for (int i = s.cursor; i <= s.maxLength && !proposed; ++i) proposed = s.At(i) != ' ';
  if (!proposed) return;
  Speech::PlayClick();
  Speech::PlayClick();
  if (printable) s.text.assign(static_cast<std::size_t>(s.maxLength), ' ');
}

}  // namespace

void HandleExtended(Session& s, uint8_t code) {
  Speech::StopSpeech();
  if (s.shift) {
    if (s.anchor == 0) s.anchor = s.cursor;
  } else if (code != Keyboard::kExtShiftInsert && code != Keyboard::kExtCtrlInsert) {
    s.ClearSelection();
  }
  switch (code) {
    case Keyboard::kExtF1:
      if (s.alt) s.Finish(kAltF1);
      else ReadNextWord(s);
      break;
    case Keyboard::kExtF4:
      St().echo = !St().echo;
      Speech::SpeakWordFile(St().echo ? "_FALACI" : "_FALDLG");
      break;
    case Keyboard::kExtF8: Speech::SayCurrentTime(); break;
    case Keyboard::kExtF12: OpenWordAtCursor(s); break;
    case Keyboard::kExtHome: s.cursor = 1; break;
    case Keyboard::kExtLeft:
      if (s.cursor > 1) {
        --s.cursor;
        Speech::SpeakChar(static_cast<uint8_t>(s.At(s.cursor)));
      } else {
        ErrorTone();
      }
      break;
    case Keyboard::kExtRight:
      if (s.cursor <= s.maxLength) {
        const auto c = static_cast<uint8_t>(s.At(s.cursor));
        if (s.alt && IsLetter(c)) Speech::SpeakWordFile("_FON" + std::to_string(c));
        else Speech::SpeakChar(c);
        ++s.cursor;
      } else {
        ErrorTone();
      }
      break;
    case Keyboard::kExtEnd: s.cursor = static_cast<int>(Trimmed(s.text).size()) + 1; break;
    case Keyboard::kExtDelete:
      if (s.HasSelection()) DeleteSelection(s);
      else DeleteAtCursor(s, true);
      break;
    case Keyboard::kExtCtrlF1: Speech::Speak(Trimmed(s.text)); break;
    case Keyboard::kExtCtrlF4: ChangeSpeed(); break;
    case Keyboard::kExtCtrlF8: Speech::SayToday(); break;
    case Keyboard::kExtCtrlF9:
      if (s.alt) ScreenReview::ScreenReview();
      else s.Finish(code);
      break;
    case Keyboard::kExtCtrlF11: Speech::SpeakBatteryStatus(); break;
    case Keyboard::kExtCtrlLeft: PreviousWord(s); break;
    case Keyboard::kExtCtrlRight: NextWord(s); break;
    case Keyboard::kExtShiftInsert: Paste(s); break;
    case Keyboard::kExtCtrlInsert: Copy(s); break;
    default:
      if (code < 120 || code > 129) s.Finish(code);  // Alt with a digit is ignored
      break;
  }
  if (s.shift) s.end = s.cursor;
}

void HandleCharacter(Session& s, uint8_t key) {
  if (key != Keyboard::kCtrlC && key != Keyboard::kCtrlV && key != 222 && key != 223) s.ClearSelection();
  switch (key) {
    case kCtrlB:
    case kTab:
    case kCtrlEnter:
    case kEnter:
    case kEsc: s.Finish(key); break;
    case Keyboard::kCtrlC: Copy(s); break;
    case Keyboard::kCtrlD: BlankToEnd(s); break;
    case Keyboard::kBackspace:
      if (s.cursor == 1) {
        ErrorTone();
      } else {
        --s.cursor;
        DeleteAtCursor(s, true);
      }
      break;
    case Keyboard::kCtrlK: Speech::Speak(std::to_string(s.cursor)); break;
    case Keyboard::kCtrlS: RemoveBeforeCursor(s); break;
    case Keyboard::kCtrlU:
      s.text = s.entry;
      s.text.resize(static_cast<std::size_t>(s.maxLength), ' ');
      s.cursor = 1;
      ErrorTone();
      ErrorTone();
      ErrorTone();
      break;
    case Keyboard::kCtrlV: Paste(s); break;
    case Keyboard::kCtrlY:
      s.text.assign(static_cast<std::size_t>(s.maxLength), ' ');
      Speech::SpeakWordFile("_CPOAPA");
      s.cursor = 1;
      break;
    case Keyboard::kCtrlBackslash: Speech::PlayToneDigits(s.text); break;  // Ctrl+\ dials the field
    case Keyboard::kCtrlBackspace: DeleteWord(s); break;
    case 222:
      Speech::WaitForSilence();
      Speech::Speak(Trimmed(s.text));
      break;
    case 223: break;
    default:
      FirstKeyRule(s, key >= 32);
      if (key >= 32) InsertChar(s, key);
      break;
  }
}

}  // namespace LineEditor
