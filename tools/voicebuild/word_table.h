// The word lists of the recorded files: UTF-8 text files of "key<TAB>text" lines.
#pragma once

#include <string>
#include <vector>

namespace WordTable {

struct Row {
  std::string key;   // a file name, a character code or a letter, as the table uses it
  std::string text;  // what eSpeak is to say, UTF-8
};

// Reads a table: blank lines and lines starting with "#" are skipped; any other line must
// hold a key, one TAB and a non-empty text. False (with a message naming the line) when
// the file cannot be read or a line is malformed.
bool Load(const std::string& path, std::vector<Row>& rows, std::string& error);

}  // namespace WordTable
