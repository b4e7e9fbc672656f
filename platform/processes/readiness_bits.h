// What a handle is waited for and what happened to it: the bits of the readiness waits and of
// the event loop's sources, in a header of their own so the loop's users see nothing else.
#pragma once

namespace Readiness {

enum : unsigned {
  kReadable = 1,
  kWritable = 2,
  kHangUp = 4,  // reported, never asked for
  kFault = 8,   // reported, never asked for
};

}  // namespace Readiness
