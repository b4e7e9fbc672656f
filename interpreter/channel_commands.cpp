// The channel commands of the file side: ABRE binds a channel to a text file, FECHA closes
// a channel, CHECA gives the status code of the last channel operation.
#include <string>

#include "interpreter/channels.h"
#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "speech/speech.h"

namespace Commands {

bool Abre(std::string_view args) {
  const bool append = Values::TakeTrailingAmpersand(args);
  char digit;
  std::string name;
  const bool read = Values::ReadChannelRef(args, digit) && Values::ReadValue(args, name);
  if (!read) name.clear();
  if (!read || name.empty() || Channels::OpenFile(*Channels::Lookup(digit), name, append) != 0) {
    Speech::WriteLineAndSpeak("Erro na abertura do arquivo " + name);
    return false;
  }
  return true;
}

bool Fecha(std::string_view args) {
  char digit;
  if (!Values::ReadChannelRef(args, digit) || Channels::CloseChannel(*Channels::Lookup(digit)) != 0) {
    Speech::WriteLineAndSpeak("Erro no fechamento do arquivo");
    return false;
  }
  return true;
}

bool Checa(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || !args.empty()) return false;
  Variables::SetVariable(code, std::to_string(Interp::St().statusCode));
  return true;
}

}  // namespace Commands
