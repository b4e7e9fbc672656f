// Starting GStreamer for the MCI stand-in, once, quietly: its own warnings and those of the
// plug-ins it loads never reach the user's terminal.
#pragma once

namespace MciGst {

// False when GStreamer cannot start (then no medium can open).
bool Init();

}  // namespace MciGst
