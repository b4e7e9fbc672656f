// Run-time libraries on dlopen.
#include "platform/system/dynamic_library.h"

#include <dlfcn.h>

namespace DynamicLibrary {

Handle Open(const std::string& path, std::string& why) {
  why.clear();
  Handle handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    if (reason != nullptr) why = reason;
  }
  return handle;
}

void* Find(Handle library, const char* name) { return library == nullptr ? nullptr : dlsym(library, name); }

void Close(Handle library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace DynamicLibrary
