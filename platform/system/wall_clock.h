// The calendar time of the system: the date and time now, local or in UTC.
#pragma once

#include <ctime>

namespace WallClock {

// The local date and time now, with the hundredths of its second in `hundredths`.
std::tm LocalNow(long& hundredths);
// The local date and time now, to the second.
std::tm LocalNow();
// The date and time now in UTC, with the thousandths of its second in `milliseconds`.
std::tm UtcNow(long& milliseconds);

}  // namespace WallClock
