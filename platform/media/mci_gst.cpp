// GStreamer's start for the MCI stand-in. The plug-in registry may be rebuilt at start by a
// scanner process that inherits our standard error, and GLib prints warnings there by
// default; the console may be the terminal itself, so both are kept away from it unless
// the user asked for GStreamer's messages with GST_DEBUG.
#include "platform/media/mci_gst.h"

#include <fcntl.h>
#include <unistd.h>

#include <gst/gst.h>

#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FONIX_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(FONIX_LEAK_CHECKED)
// GLib allocates its quark table in its library initializer and never frees it. GLib is
// built without frame pointers, so the leak checker's stacks end inside GLib and cannot tell
// that allocation from others made there: allocations made by GLib itself are not checked
// (sanitized builds only). The C library also keeps a split LOCPATH for the life of the
// process once a locale is loaded from it (the decimal-separator tests do). This is the one
// definition of the process's leak suppressions: the leak checker takes only one.
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\nleak:argz_add_sep\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace MciGst {
namespace {

void DropLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool Start() {
  const char* debug = std::getenv("GST_DEBUG");
  const bool quiet = !debug || !*debug;
  int saved = -1;
  if (quiet) {
    g_log_set_default_handler(DropLog, nullptr);
    // Standard error is /dev/null while the registry is brought up to date.
    saved = dup(2);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      dup2(null, 2);
      close(null);
    }
  }
  GError* error = nullptr;
  const bool ok = gst_init_check(nullptr, nullptr, &error);
  if (error) g_error_free(error);
  if (saved >= 0) {
    dup2(saved, 2);
    close(saved);
  }
  if (ok && quiet) gst_debug_remove_log_function(gst_debug_log_default);
  return ok;
}

}  // namespace

bool Init() {
  static const bool ok = Start();
  return ok;
}

}  // namespace MciGst
