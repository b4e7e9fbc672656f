// The commands that wait and look for windows: JANELA acts on the first window whose title
// matches, ESPERA waits a time or for a window in front.
#include <string>

#include "console/console.h"
#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "services/desktop_windows.h"

namespace {

constexpr std::size_t kListedTitle = 143;
constexpr std::size_t kForegroundTitle = 249;
// One console delay takes at most 65 535 ms; longer waits are made of several.
constexpr int64_t kDelayPiece = 60000;

void Wait(int64_t milliseconds) {
  if (milliseconds <= 0) {
    Console::ConsoleDelay(0);
    return;
  }
  while (milliseconds > 0) {
    const int64_t piece = std::min(milliseconds, kDelayPiece);
    Console::ConsoleDelay(static_cast<int>(piece));
    milliseconds -= piece;
  }
}

bool TitleMatches(const std::string& title, const std::string& pattern, bool atStart, bool atEnd) {
  const std::string folded = Text::Fold(title);
  if (atStart && !folded.starts_with(pattern)) return false;
  if (atEnd && !folded.ends_with(pattern)) return false;
  return atStart || atEnd || folded.find(pattern) != std::string::npos;
}

}  // namespace

namespace Commands {

bool Janela(std::string_view args) {
  Interp::St().statusCode = 0;
  const std::size_t blank = args.find(' ');
  const std::string word = Text::Fold(args.substr(0, blank));
  std::string_view rest = blank == std::string_view::npos ? std::string_view() : args.substr(blank + 1);
  std::string pattern;
  if (!Values::ReadValue(rest, pattern)) return false;
  const bool atStart = !pattern.empty() && pattern.front() == '*';
  if (atStart) pattern.erase(0, 1);
  const bool atEnd = !pattern.empty() && pattern.back() == '*';
  if (atEnd) pattern.pop_back();
  pattern = Text::Fold(pattern);
  for (const Desktop::Window& window : DesktopWindows::TopLevel(kListedTitle)) {
    if (!TitleMatches(window.title, pattern, atStart, atEnd)) continue;
    Desktop::Action action;
    if (word == "FECHA") action = Desktop::Action::Close;
    else if (word == "NORMAL") action = Desktop::Action::Normal;
    else if (word == "MAXIMIZA") action = Desktop::Action::Maximize;
    else if (word == "MINIMIZA") action = Desktop::Action::Minimize;
    else return false;
    DesktopWindows::Act(window.id, action);
    return true;
  }
  Interp::St().statusCode = 1;
  return true;
}

bool Espera(std::string_view args) {
  Interp::St().statusCode = 0;
  const bool milliseconds = Text::StartsWithFolded(args, "MS");
  if (milliseconds) args.remove_prefix(2);
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  const auto n = Values::NumericValue(value);
  if (!n) return false;
  std::string title;
  if (Text::Trim(args).empty() || !Values::ReadValue(args, title)) {
    Wait(milliseconds ? *n : int64_t{*n} * 1000);
    return true;
  }
  const std::string pattern = Text::Fold(title);
  for (int64_t round = 0; round < int64_t{*n} * 2; ++round) {
    if (Text::Fold(DesktopWindows::ForegroundTitle(kForegroundTitle)).find(pattern) != std::string::npos) return true;
    Console::ConsoleDelay(500);
  }
  Interp::St().statusCode = 1;
  return true;
}

}  // namespace Commands
