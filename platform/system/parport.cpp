// The parallel port through ppdev: the port numbers of the first PC parallel port become
// the driver's data, status and control requests.
#include "platform/system/parport.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace Parport {
namespace {

constexpr uint16_t kData = 888, kStatus = 889, kControl = 890;

struct State {
  int fd = -1;
  bool tried = false;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

bool Open() {
  State& s = S();
  if (s.tried) return s.fd >= 0;
  s.tried = true;
  const char* device = std::getenv("FONIX_PARPORT");
  const int fd = open(device && *device ? device : "/dev/parport0", O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  if (ioctl(fd, PPCLAIM) != 0) {
    close(fd);
    return false;
  }
  s.fd = fd;
  return true;
}

void Out(uint16_t port, uint8_t value) {
  const int fd = S().fd;
  if (fd < 0) return;
  unsigned char v = value;
  if (port == kData) ioctl(fd, PPWDATA, &v);
  else if (port == kControl) ioctl(fd, PPWCONTROL, &v);
}

uint8_t In(uint16_t port) {
  const int fd = S().fd;
  unsigned char v = 0xFF;
  if (fd < 0) return v;
  if (port == kStatus) ioctl(fd, PPRSTATUS, &v);
  else if (port == kData) ioctl(fd, PPRDATA, &v);
  else if (port == kControl) ioctl(fd, PPRCONTROL, &v);
  return v;
}

void ResetParport() {
  State& s = S();
  if (s.fd >= 0) {
    ioctl(s.fd, PPRELEASE);
    close(s.fd);
  }
  s = State{};
}

}  // namespace Parport
