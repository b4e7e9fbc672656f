// The commands that talk with the user: writing and speaking, reading lines and keys,
// spelling, beeps, the window's title, colours and screen.
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "ui/line_editor.h"
#include "interpreter/channels.h"
#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "platform/headless/transcript.h"
#include "speech/recorded_numbers.h"
#include "speech/speech.h"

namespace {

void FileError() { Speech::WriteLineAndSpeak("Erro no processamento de arquivo"); }

// The key text a script sees for one key (a second byte follows a zero byte).
std::string ReadKeyText(bool spoken, bool withShiftState) {
  const uint8_t first = Keyboard::ConsoleReadKey();
  // The shift state is that of the moment the key is taken, before saying it gives the
  // user time to let go of Shift.
  const std::string shiftState = withShiftState ? Keyboard::ShiftStateDigits() : "";
  if (spoken) {
    Speech::StopSpeech();
    Speech::SpeakChar(first);
  }
  // Built by appending (prepending to a temporary string trips a false -Wrestrict of g++ 12).
  std::string text = shiftState;
  if (first == 0) {
    const uint8_t code = Keyboard::ConsoleReadKey();
    text.append("#0#").append(std::to_string(code));
  } else if (first < 32 || withShiftState) {
    text.append("#").append(std::to_string(first));
  } else {
    text.push_back(static_cast<char>(first));
  }
  Transcript::Event("key", text);
  return text;
}

std::string ReadPlainLine() {
  std::string line = Keyboard::ConsoleReadLine(256);
  if (line.ends_with("\r\n")) line.resize(line.size() - 2);
  return line;
}

bool NotYet(std::string_view what) {
  Speech::WriteLineAndSpeak(std::string("Comando não disponível: "_cp) + std::string(what));
  return false;
}

}  // namespace

namespace Commands {

bool NotAvailable(std::string_view) { return NotYet(Interp::St().commandWord); }

bool Escreve(std::string_view args) {
  Interp::St().statusCode = 0;
  const bool noLineEnd = Values::TakeTrailingAmpersand(args);
  bool silent = false;
  if (!args.empty() && args[0] == '#') {
    if (args.size() < 2 || !Text::IsDigit(args[1])) {
      FileError();
      return false;
    }
    const char digit = args[1];
    args = Text::Trim(args.substr(2));
    if (args.empty()) return Channels::WriteLine(digit, "", true);
    std::string text;
    if (!Values::ReadJoinedValues(args, text)) return false;
    if (!Channels::WriteLine(digit, text, !noLineEnd) || !args.empty()) return false;
    Speech::WaitForSilence();
    return true;
  }
  if (Text::StartsWithFolded(args, "MUDO")) {
    args.remove_prefix(4);
    silent = true;
  }
  args = Text::Trim(args);
  if (args.empty()) {
    Console::StdoutWrite("\r\n");
    return true;
  }
  std::string text;
  if (!Values::ReadJoinedValues(args, text)) return false;
  Console::StdoutWrite(text);
  if (!noLineEnd) Console::StdoutWrite("\r\n");
  if (!silent) Speech::Speak(text);
  if (!args.empty()) return false;
  Speech::WaitForSilence();
  return true;
}

bool Le(std::string_view args) {
  Interp::St().statusCode = 0;
  if (args.empty()) {
    Keyboard::ConsoleReadLine(256);
    return true;
  }
  if (Text::StartsWithFolded(args, "MOUSE ") || Text::StartsWithFolded(args, "RATO "))
    return LeMouse(args.substr(5));
  std::string text(args);
  bool withShiftState = false;
  const std::size_t tecla = Text::Fold(text).find("TECLA ");
  if (tecla != std::string::npos) {
    text.erase(tecla, 6);
    text = std::string(Text::Trim(text));
    if (text.empty() || text.back() != '&') text += '&';
    withShiftState = true;
  }
  std::string_view rest = text;
  const bool oneKey = Values::TakeTrailingAmpersand(rest);
  if (oneKey && rest.empty()) {
    if (Keyboard::ConsoleReadKey() == 0) Keyboard::ConsoleReadKey();  // the whole extended key
    return true;
  }
  enum class Mode { Spoken, Plain, Hidden, Edit } mode = Mode::Spoken;
  if (!rest.empty() && rest[0] == '#') {
    char channel;
    if (!Values::ReadChannelRef(rest, channel)) return false;
    if (rest.empty()) {
      FileError();
      return false;
    }
    int code;
    if (!Values::ReadVariableRef(rest, code)) return false;
    std::string line;
    if (!Channels::ReadLine(channel, line)) return false;
    Variables::SetVariable(code, std::move(line));
    return true;
  }
  if (Text::StartsWithFolded(rest, "CONSOLE ")) return LeConsole(rest.substr(8));
  if (Text::StartsWithFolded(rest, "EDITA")) {
    rest.remove_prefix(5);
    mode = Mode::Edit;
  } else if (Text::StartsWithFolded(rest, "MUDO")) {
    rest.remove_prefix(4);
    mode = Mode::Plain;
  } else if (Text::StartsWithFolded(rest, "SENHA")) {
    rest.remove_prefix(5);
    mode = Mode::Hidden;
  }
  int code;
  if (!Values::ReadVariableRef(rest, code)) return false;
  std::string value;
  if (oneKey) {
    value = ReadKeyText(mode == Mode::Spoken || mode == Mode::Edit, withShiftState);
  } else if (mode == Mode::Hidden) {
    const uint8_t attribute = Console::TextAttribute();
    Console::SetTextAttribute(0);
    value = ReadPlainLine();
    Console::SetTextAttribute(attribute);
  } else if (mode == Mode::Plain) {
    value = ReadPlainLine();
  } else if (mode == Mode::Edit) {
    value = Variables::GetVariable(code);
    if (LineEditor::EditLineAtCursor(value, Console::ConsoleWhereX(), Console::ConsoleWhereY(), 1024) == LineEditor::kEsc)
      value.clear();
  } else {
    value = LineEditor::ReadEditedLine();
  }
  Variables::SetVariable(code, std::move(value));
  return true;
}

bool Fala(std::string_view args) {
  const bool noWait = Values::TakeTrailingAmpersand(args);
  if (args.empty()) {
    Speech::StopSpeech();
    if (!noWait) Speech::WaitForSilence();
    return true;
  }
  std::string text;
  if (!Values::ReadJoinedValues(args, text)) return false;
  Speech::Speak(text);
  if (!noWait) Speech::WaitForSilence();
  return args.empty();
}

bool Soletra(std::string_view args) {
  if (args.empty()) return false;
  std::string value;
  if (!Values::ReadValue(args, value)) value.clear();
  Speech::Spell(value);
  Console::StdoutWrite(value);
  Speech::WaitForSilence();
  return true;
}

bool Falahora(std::string_view args) {
  if (args.empty()) return false;
  std::string value;
  if (!Values::ReadValue(args, value) || value.size() != 5 || value[2] != ':') return false;
  // Hours and minutes must be digits; anything else is no time to say.
  const auto hours = Values::NumericValue(value.substr(0, 2));
  const auto minutes = Values::NumericValue(value.substr(3, 2));
  if (!hours || !minutes || value[0] == '+' || value[0] == '-' || value[3] == '+' || value[3] == '-') return false;
  Speech::SayTime(*hours, *minutes);
  Speech::WaitForSilence();
  return true;
}

bool Bipa(std::string_view args) {
  std::string value = "0";
  if (!args.empty() && !Values::ReadValue(args, value)) return false;
  if (value == "1") Speech::PlayClick();
  else Speech::PlayBeep();
  return true;
}

bool Titulo(std::string_view args) {
  if (args.empty()) return false;
  std::string value;
  if (!Values::ReadValue(args, value)) value.clear();
  Console::ConsoleSetTitle(value);
  return true;
}

static bool ReadColour(std::string_view args, int& colour) {
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  const auto n = Values::NumericValue(value);
  if (!n) return false;
  colour = *n & 0xFF;
  return true;
}

bool Cor(std::string_view args) {
  int colour;
  if (!ReadColour(args, colour)) return false;
  Console::ConsoleSetForeground(colour);
  return true;
}

bool Fundo(std::string_view args) {
  int colour;
  if (!ReadColour(args, colour)) return false;
  Console::ConsoleSetBackground(colour);
  return true;
}

bool Tela(std::string_view args) {
  if (args.empty()) return false;
  std::string what = Text::Fold(args);
  if (args.size() == 1 && Text::IsAsciiLetter(args[0])) what = Variables::GetVariable(Variables::LetterCode(args[0]));
  if (what == "LIMPA") {
    Console::ConsoleClear();
  } else if (what == "MINIMIZADA") {
    Console::ConsoleShow(ConsoleDevice::Visibility::Hidden);
  } else if (what == "NORMAL") {
    Console::ConsoleShow(ConsoleDevice::Visibility::Restored);
  } else if (!what.empty() && what[0] == '@') {
    const std::size_t comma = what.find(',');
    if (comma == std::string::npos) return false;
    const auto column = Values::NumericValue(Text::Trim(std::string_view(what).substr(1, comma - 1)));
    const auto row = Values::NumericValue(Text::Trim(std::string_view(what).substr(comma + 1)));
    if (!column || !row) return false;
    Console::ConsoleGotoXY(*column, *row);
  } else {
    return false;
  }
  return true;
}

}  // namespace Commands
