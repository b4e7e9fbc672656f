// The decimal separator of the user's locale, which stands for the system's separator that
// Windows programs format numbers with.
#pragma once

namespace Locale {

// The separator of LC_ALL / LC_NUMERIC / LANG as Windows-1252; a comma under the C and
// POSIX locales, for a locale that is not installed, and for a separator outside the code
// page, because the texts of the system are Portuguese.
char DecimalSeparator();

}  // namespace Locale
