// The calendar time on clock_gettime, localtime_r and gmtime_r.
#include "platform/system/wall_clock.h"

#include <time.h>

namespace WallClock {

std::tm LocalNow(long& hundredths) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  hundredths = ts.tv_nsec / 10000000;
  return local;
}

std::tm LocalNow() {
  long hundredths = 0;
  return LocalNow(hundredths);
}

std::tm UtcNow(long& milliseconds) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm utc{};
  gmtime_r(&ts.tv_sec, &utc);
  milliseconds = ts.tv_nsec / 1000000;
  return utc;
}

}  // namespace WallClock
