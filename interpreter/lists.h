// The named lists of a program (at most 20): created, filled and searched by LISTA and by
// the EM condition.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Lists {

inline constexpr int kMaxLists = 20;

// The list of that name (case-sensitive), or null.
std::vector<std::string>* FindList(std::string_view name);
void ClearLists();

}  // namespace Lists
