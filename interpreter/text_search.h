// Searching and replacing inside texts in time linear in the text, whatever the pattern:
// POS, the *=* comparison and SUBSTITUI.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace TextSearch {

// Position of the first occurrence of `pattern` in `text`, or npos; an empty pattern is at 0.
std::size_t Find(std::string_view text, std::string_view pattern);

// SUBSTITUI's replacement: every window of the pattern's length is tried from the end of the
// text to its start, each against the text as the replacements to its right left it, so that
// a replacement can be matched again by a window that starts left of it and overlaps it.
// With an empty pattern every window matches: `with` is inserted at the end, between every
// two characters and at the start. False, with `result` unspecified, when the result would
// grow beyond `maxLength` bytes.
bool ReplaceFromEnd(std::string_view text, std::string_view pattern, std::string_view with, std::size_t maxLength,
                    std::string& result);

}  // namespace TextSearch
