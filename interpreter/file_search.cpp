// BUSCA: the first match of a pattern, the next ones of the pending search filtered by
// files or folders, the end of the search, and the current folder.
#include "interpreter/file_search.h"

#include <string>

#include "interpreter/commands.h"
#include "interpreter/file_names.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"

namespace FileSearch {

SearchState& State() {
  static SearchState state;
  return state;
}

void ResetSearch() { State() = SearchState{}; }

}  // namespace FileSearch

namespace {

// The matches of a pattern; none when the pattern is not a name Windows accepts.
std::vector<Paths::FoundFile> Matches(std::string_view pattern) {
  std::string host;
  if (FileNames::HostPath(pattern, host, true) != 0) return {};
  return Paths::FindFiles(pattern);
}

}  // namespace

namespace Commands {

bool Busca(std::string_view args) {
  FileSearch::SearchState& s = FileSearch::State();
  int code;
  if (!Values::ReadVariableRef(args, code) || args.empty()) return false;
  bool folders = false;
  if (Text::StartsWithFolded(args, "DIR")) {
    folders = true;
    args = Text::Trim(args.substr(std::min<std::size_t>(4, args.size())));
  }
  std::string result;
  if (Text::StartsWithFolded(args, "FIM")) {
    FileSearch::ResetSearch();
    return true;
  }
  if (Text::StartsWithFolded(args, "PROXIMO") || Text::StartsWithFolded(args, "PRÓXIMO"_cp)) {
    if (!Text::Trim(args.substr(7)).empty()) return false;
    bool found = false;
    while (s.pending && s.next < s.matches.size()) {
      const Paths::FoundFile& match = s.matches[s.next++];
      if (match.attributes & s.mask) {
        result = match.name;
        found = true;
        break;
      }
    }
    if (!found) FileSearch::ResetSearch();
  } else if (args.empty()) {
    result = Paths::CurrentFolder();
  } else {
    std::string pattern;
    if (!Values::ReadValue(args, pattern) || !args.empty()) return false;
    FileSearch::ResetSearch();
    s.matches = Matches(pattern);
    s.mask = folders ? Paths::kAttrDirectory : Paths::kAttrArchive;
    if (!s.matches.empty()) {
      s.pending = true;
      s.next = 1;
      result = s.matches[0].name;
    }
  }
  Variables::SetVariable(code, std::string(Text::Trim(result)));
  return true;
}

}  // namespace Commands
