// The scanned form of a line (trimmed, its command word read and folded, its handler found,
// its argument text marked), kept for every stored line so that a line that runs again is
// read the way it was read the first time without being scanned again.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "interpreter/commands.h"

namespace CompiledLine {
struct Form;
}

namespace LineScan {

struct Scanned {
  bool nothing = true;    // empty, a comment or a label line: executes as nothing
  bool loopWord = false;  // REPETE, ENQUANTO, SENAO, SENÃO or FIM: refused after a condition
  // The argument text, trimmed, as an offset and a length within the scanned text.
  std::size_t argsStart = 0;
  std::size_t argsLength = 0;
  std::string word;    // the command word with a..z upper-cased, as the debug trace shows it
  std::string folded;  // the word folded as the dispatcher compares it
  Commands::Handler handler = nullptr;  // null when the word is no command
  // A stored line's arguments read once (compiled_line.h); null when the handler reads them.
  std::shared_ptr<const CompiledLine::Form> compiled;
};

// Reads a text as the line executor does.
void Scan(std::string_view text, Scanned& out);

// The kept form of `text` when it lies within the current stored line (the whole line, or
// the part of it a condition runs); null for any other text. A line's forms are made when
// it is stored and when a part of it first runs, and live until it is stored again.
const Scanned* Find(std::string_view text);

// The kept form of stored line n as a whole, as Find gives it for the line's own text.
const Scanned* StoredForm(int n);

// Line n has just been stored: its forms are made anew.
void Stored(int n);

// Forgets every line's forms (tests).
void ForgetAll();

}  // namespace LineScan
