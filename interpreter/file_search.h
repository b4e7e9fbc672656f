// The pending directory search of BUSCA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/files/paths.h"

namespace FileSearch {

struct SearchState {
  bool pending = false;
  std::vector<Paths::FoundFile> matches;  // as the folder listing gives them
  std::size_t next = 0;                   // the match PROXIMO looks at first
  uint32_t mask = Paths::kAttrArchive;    // 16 for folders, 32 for files
};

SearchState& State();
// Ends any pending search (tests start clean).
void ResetSearch();

}  // namespace FileSearch
