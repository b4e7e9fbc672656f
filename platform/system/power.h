// The system's power status: whether a battery is there, its charge, and the mains line.
#pragma once

namespace Power {

struct Status {
  bool hasBattery = false;
  int percent = 0;
  bool onMains = true;
};

// Read from /sys/class/power_supply (or the folder of FONIX_POWER_SUPPLY, for tests).
Status ReadStatus();

}  // namespace Power
