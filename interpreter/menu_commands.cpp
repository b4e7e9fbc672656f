// The MENU command: CRIA, ADICIONA, EXECUTA and TERMINA over the menu engine, and the key
// text a script receives for the key that left the menu.
#include <algorithm>
#include <string>

#include "interpreter/commands.h"
#include "interpreter/menu.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/headless/transcript.h"

namespace {

// The sub-command word, compared on its first characters.
bool TakeWord(std::string_view& args, std::string_view word) {
  if (args.size() < word.size() || !Text::StartsWithFolded(args, word)) return false;
  args = Text::Trim(args.substr(word.size()));
  return true;
}

bool ReadInteger(std::string_view& args, int& out) {
  const auto n = Values::ReadNumber(args);
  if (!n) return false;
  out = *n;
  return true;
}

std::string KeyText(const Menu::RunResult& r) {
  std::string text;
  if (r.character == 0) text.append("#0#").append(std::to_string(r.extended));
  else if (r.character < 32) text.append("#").append(std::to_string(r.character));
  else text.push_back(static_cast<char>(r.character));
  return text;
}

bool Execute(std::string_view args) {
  int pos, key, text;
  if (!Values::ReadVariableRef(args, pos) || !Values::ReadVariableRef(args, key) ||
      !Values::ReadVariableRef(args, text) || !args.empty())
    return false;
  Menu::State& s = Menu::St();
  if (!s.exists) return false;
  Menu::RunResult result;
  do {
    if (const auto start = Values::NumericValue(Text::Trim(Variables::GetVariable(pos))))
      s.startPosition = std::max<int>(*start, 1);
    result = Menu::MenuRun(s.startPosition, true);
    // Arrows sideways and the Ctrl keys reopen the menu; F1..F12 and characters leave it.
  } while (result.character == 0 && (result.extended < 59 || result.extended > 70));
  const std::string keyText = KeyText(result);
  Transcript::Event("key", keyText);
  Variables::SetVariable(pos, std::to_string(result.position));
  Variables::SetVariable(key, keyText);
  Variables::SetVariable(text, Menu::MenuItem(result.position));
  return true;
}

}  // namespace

namespace Commands {

bool Menu(std::string_view args) {
  if (TakeWord(args, "CRIA")) {
    int left, top, right, bottom;
    if (!ReadInteger(args, left) || !ReadInteger(args, top) || !ReadInteger(args, right) ||
        !ReadInteger(args, bottom) || !args.empty())
      return false;
    ::Menu::MenuCreate(left, top, right, bottom);
    return true;
  }
  if (TakeWord(args, "ADICIONA")) {
    std::string value;
    if (!::Menu::St().exists || !Values::ReadValue(args, value) || !args.empty()) return false;
    ::Menu::MenuAdd(std::move(value));
    return true;
  }
  if (TakeWord(args, "EXECUTA")) return Execute(args);
  if (TakeWord(args, "TERMINA")) {
    if (!args.empty()) return false;
    if (::Menu::St().exists) ::Menu::MenuClose();
    return true;
  }
  return false;
}

}  // namespace Commands
