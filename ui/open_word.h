// Opening a word of the line editor (F12): a web address with the browser of the settings,
// a document with the program its extension names or with the desktop's own choice, and a
// program name (.exe, .com) started from the current folder.
#pragma once

#include <string>
#include <string_view>

namespace OpenWord {

// How a word is opened: `program` (a Windows path or a bare name; empty: the desktop
// opens `target` itself) with `target` as its parameter, or `target` started as a program
// when `startTarget` is set.
struct Plan {
  std::string program;
  std::string target;
  bool startTarget = false;
};
Plan PlanFor(std::string_view word);

// Waits for silence, opens the word, and waits until the started program lets the console
// have the user again; the error tone when nothing could be started.
void OpenWord(std::string_view word);

}  // namespace OpenWord
