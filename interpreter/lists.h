// The named lists of a program (at most 20): created, filled and searched by LISTA and by
// the EM condition.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Lists {

inline constexpr int kMaxLists = 20;

// The list of that name (case-sensitive), or null. Lists change only through LISTA, which
// keeps their sizes for the text limit.
const std::vector<std::string>* FindList(std::string_view name);
void ClearLists();
// What all lists hold together, in bytes: each item's text and its own bookkeeping.
std::size_t TotalBytes();

}  // namespace Lists
