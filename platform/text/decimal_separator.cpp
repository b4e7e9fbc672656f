// The user's decimal separator, from the locale settings.
#include "platform/text/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text/cp1252.h"

namespace Locale {
namespace {

// The locale name that decides numbers, as the C library chooses it.
std::string NumericLocaleName() {
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return {};
}

char LookUp() {
  const std::string name = NumericLocaleName();
  if (name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.")) return ',';
  const locale_t loc = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return ',';
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  const std::string text = Cp1252::FromUtf8(radix ? radix : "", '\0');
  freelocale(loc);
  if (text.size() != 1 || text[0] == '\0') return ',';
  return text[0];
}

}  // namespace

// Looked up at every call: formatting a number is rare, and the settings may change.
char DecimalSeparator() { return LookUp(); }

}  // namespace Locale
