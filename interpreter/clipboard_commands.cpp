// TRANSFERE: a variable's text put on the clipboard, or the clipboard's text into a variable.
#include <string>

#include "console/console.h"
#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace Commands {

bool Transfere(std::string_view args) {
  constexpr std::size_t kMaxText = 1024;
  const bool toClipboard = Text::StartsWithFolded(args, "DE ");
  if (!toClipboard && !Text::StartsWithFolded(args, "PARA ")) return false;
  args = Text::Trim(args.substr(toClipboard ? 3 : 5));
  int code;
  if (!Values::ReadVariableRef(args, code) || !args.empty()) return false;
  if (toClipboard) Console::ConsoleCopyText(std::string_view(Variables::GetVariable(code)).substr(0, kMaxText));
  else Variables::SetVariable(code, Console::ConsolePasteText(kMaxText + 1));
  return true;
}

}  // namespace Commands
