// The locale's radix character, looked up once in a locale object of its own (the
// process's own locale stays "C", so that no other formatting changes).
#include "platform/decimal_point.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <string>

namespace DecimalPoint {
namespace {

char Lookup() {
  const char* name = nullptr;
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) {
      name = value;
      break;
    }
  }
  if (!name) return ',';
  const std::string n(name);
  if (n == "C" || n == "POSIX" || n.starts_with("C.")) return ',';
  locale_t locale = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
  if (!locale) return ',';
  const char* radix = nl_langinfo_l(RADIXCHAR, locale);
  const char point = (radix && radix[0] && !radix[1]) ? radix[0] : ',';
  freelocale(locale);
  return point;
}

}  // namespace

char UserDecimalPoint() {
  static const char point = Lookup();
  return point;
}

}  // namespace DecimalPoint
