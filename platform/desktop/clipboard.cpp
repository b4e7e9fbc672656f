// The process clipboard, with the clipboard beyond the process the console device chose.
#include "platform/desktop/clipboard.h"

namespace Clipboard {
namespace {
std::string& Text() {
  static std::string text;
  return text;
}
const Outside*& Beyond() {
  static const Outside* outside = nullptr;
  return outside;
}
}  // namespace

void SetText(std::string_view text) {
  Text().assign(text);
  if (Beyond() && Beyond()->set) Beyond()->set(text);
}

std::string GetText() {
  std::string text;
  if (Beyond() && Beyond()->get && Beyond()->get(text)) return text;
  return Text();
}

void SetOutside(const Outside* outside) { Beyond() = outside; }

}  // namespace Clipboard
