// TRAZDAREDE: reads the six operands of a web download, runs it, and puts its outcome in
// the variable ("0" done, "1" not).
#include <string>

#include "interpreter/commands.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "interpreter/web_download.h"

namespace Commands {

bool Trazdarede(std::string_view args) {
  WebDownload::Request request;
  std::string click;
  if (!Values::ReadValue(args, request.url) || !Values::ReadValue(args, request.file) ||
      !Values::ReadValue(args, click) || (click != "0" && click != "1") || !Values::ReadValue(args, request.agent))
    return false;
  // The cookie is taken without a check: when it is missing, the variable is read as the
  // cookie and the variable itself is then missing.
  if (!Values::ReadValue(args, request.cookie)) request.cookie.clear();
  int code;
  if (!Values::ReadVariableRef(args, code)) return false;
  request.click = click == "1";
  const bool done = WebDownload::Download(request);
  Variables::SetVariable(code, done ? "0" : "1");
  return true;
}

}  // namespace Commands
