// Loading a shared library at run time and finding its functions by name.
#pragma once

#include <string>

namespace DynamicLibrary {

// An opened library; null when none.
using Handle = void*;

// Opens the library at `path` with every name bound now and kept to itself; null with the
// system's reason in `why` (may be empty) when it cannot be opened.
Handle Open(const std::string& path, std::string& why);
// The address of the function or object `name` in the library; null when it has none.
void* Find(Handle library, const char* name);
// Closes a library Open gave; a null handle is ignored.
void Close(Handle library);

}  // namespace DynamicLibrary
