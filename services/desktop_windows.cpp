// The window commands' view of the desktop.
#include "services/desktop_windows.h"

#include "console/console.h"
#include "platform/events/messages.h"

namespace DesktopWindows {
namespace {

std::string Cut(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

}  // namespace

std::vector<Desktop::Window> TopLevel(std::size_t titleLimit) {
  if (Desktop::HasDisplay()) return Desktop::TopLevelWindows(titleLimit);
  std::string title = Cut(Console::ConsoleTitle(), titleLimit);
  if (title.empty()) return {};
  return {Desktop::Window{kConsole, std::move(title), false}};
}

std::string ForegroundTitle(std::size_t limit) {
  if (Desktop::HasDisplay()) return Desktop::WindowTitle(Desktop::ActiveWindow(), limit);
  return Cut(Console::ConsoleTitle(), limit);
}

void Act(Desktop::WindowId id, Desktop::Action action) {
  if (id != kConsole) {
    Desktop::Act(id, action);
    return;
  }
  switch (action) {
    case Desktop::Action::Close: {
      Messages::Message close;
      close.kind = Messages::Kind::Close;
      Messages::Post(close);
      Messages::PumpMessages();  // handled here: the program ends
      break;
    }
    case Desktop::Action::Normal:
    case Desktop::Action::Maximize:
      Console::ConsoleShow(ConsoleDevice::Visibility::Restored);
      break;
    case Desktop::Action::Minimize:
      Console::ConsoleShow(ConsoleDevice::Visibility::Hidden);
      break;
  }
}

}  // namespace DesktopWindows
