// The decimal separator of the user's locale for the numbers the runtime says and writes
// with decimals: the locale's own, and a comma under the C/POSIX locale (the texts are
// Portuguese).
#pragma once

namespace DecimalPoint {

// From LC_ALL, LC_NUMERIC or LANG, in that order of precedence; a comma when none names an
// installed locale other than C or POSIX.
char UserDecimalPoint();

}  // namespace DecimalPoint
