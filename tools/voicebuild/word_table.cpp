// Reading the word tables; a malformed line stops the build instead of losing a word.
#include "tools/voicebuild/word_table.h"

#include <fstream>

namespace WordTable {

bool Load(const std::string& path, std::vector<Row>& rows, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == 0 || tab == std::string::npos || tab + 1 == line.size() ||
        line.find('\t', tab + 1) != std::string::npos) {
      error = path + ":" + std::to_string(number) + ": expected KEY<TAB>TEXT";
      return false;
    }
    rows.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return true;
}

}  // namespace WordTable
