// The process clipboard.
#include "platform/clipboard.h"

namespace Clipboard {
namespace {
std::string& Text() {
  static std::string text;
  return text;
}
}  // namespace

void SetText(std::string_view text) { Text().assign(text); }
std::string GetText() { return Text(); }

}  // namespace Clipboard
