// MSAA: the accessibility watcher of other programs' focus, and the properties of the
// accessible item last read, into variables.
#include <string>

#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "services/msaa.h"

namespace {

bool TakeWord(std::string_view& args, std::string_view word) {
  if (!Text::StartsWithFolded(args, word)) return false;
  const std::string_view rest = args.substr(word.size());
  if (!rest.empty() && !Text::IsBlank(rest[0])) return false;
  args = Text::Trim(rest);
  return true;
}

bool ReadInteger(std::string_view& args, long& out) {
  const auto n = Values::ReadNumber(args);
  if (!n) return false;
  out = *n;
  return true;
}

bool SetOne(std::string_view args, const std::string& text) {
  int code = 0;
  if (!Values::ReadVariableRef(args, code)) return false;
  Variables::SetVariable(code, text);
  return true;
}

}  // namespace

namespace Commands {

bool Msaa(std::string_view args) {
  args = Text::Trim(args);
  const Msaa::Item& item = Msaa::CurrentItem();
  if (TakeWord(args, "MONITORA")) return Msaa::MsaaStart();
  if (TakeWord(args, "FIM")) {
    Msaa::MsaaStop();
    return true;
  }
  if (TakeWord(args, "CHECA")) {
    int code = 0;
    if (!Values::ReadVariableRef(args, code)) return false;
    Variables::SetVariable(code, Msaa::MsaaNextEvent() ? "1" : "0");
    return true;
  }
  if (TakeWord(args, "CAPTURA")) {
    long x = 0, y = 0;
    if (!ReadInteger(args, x) || !ReadInteger(args, y)) return false;
    Msaa::MsaaFromPoint(x, y);
    return true;
  }
  if (TakeWord(args, "AREA") || TakeWord(args, "ÁREA"_cp)) {
    int codes[4];
    for (int& code : codes)
      if (!Values::ReadVariableRef(args, code)) return false;
    const long values[4] = {item.left, item.top, item.width, item.height};
    for (int i = 0; i < 4; ++i) Variables::SetVariable(codes[i], std::to_string(values[i]));
    return true;
  }
  if (TakeWord(args, "NOME")) return SetOne(args, item.name);
  if (TakeWord(args, "TIPO")) return SetOne(args, item.roleText);
  if (TakeWord(args, "ESTADO")) return SetOne(args, item.stateText);
  if (TakeWord(args, "VALOR")) return SetOne(args, item.value);
  if (TakeWord(args, "CODIGO") || TakeWord(args, "CÓDIGO"_cp)) return SetOne(args, std::to_string(item.roleCode));
  return false;
}

}  // namespace Commands
