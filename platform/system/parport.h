// The parallel port as port numbers: data 888, status 889, control 890 of the first
// parallel port, reached through the Linux parallel-port driver (ppdev, /dev/parport0, or
// the device named by FONIX_PARPORT).
#pragma once

#include <cstdint>

namespace Parport {

// Opens and claims the port on first call; false when there is none or it cannot be had.
bool Open();
void Out(uint16_t port, uint8_t value);  // 888 data, 890 control; others ignored
uint8_t In(uint16_t port);               // 889 status, 888 data, 890 control
void ResetParport();

}  // namespace Parport
