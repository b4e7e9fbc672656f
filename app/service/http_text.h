// Texts of the local service's HTTP side: the target of a request split into path and
// query, query values decoded, and any bytes made into well-formed UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace HttpText {

// "/a/b?x=1" → path "/a/b", query "x=1".
void SplitTarget(std::string_view target, std::string& path, std::string& query);

// Percent escapes decoded; with plusIsSpace a "+" is a space (form encoding). A "%" not
// followed by two hexadecimal digits stays as it is.
std::string PercentDecode(std::string_view text, bool plusIsSpace);

// The raw (still encoded) value of `name` in a query: the text after "name=" up to the
// next "&", or empty when the name is absent. Names are matched at the start of a pair.
std::string QueryValue(std::string_view query, std::string_view name);

// Well-formed UTF-8 of any bytes: UTF-8 stays UTF-8; other bytes are read as Windows-1252.
std::string AsUtf8(std::string_view bytes);

}  // namespace HttpText
