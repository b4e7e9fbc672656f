// Choosing the audio device from FONIX_AUDIO.
#include "platform/waveout.h"

#include <cstdlib>
#include <cstring>

namespace WaveOut {

std::unique_ptr<Device> OpenChosen(const char* purpose) {
  const char* env = std::getenv("FONIX_AUDIO");
  const std::string choice = env ? env : "";
  if (choice == "null") return OpenNull();
  if (choice.rfind("capture:", 0) == 0 && choice.size() > 8) {
    const std::string path = choice.substr(8);
    return OpenCapture(std::strcmp(purpose, "midi") == 0 ? CaptureMidiPath(path) : path);
  }
  // "sdl", empty or anything unknown: the sound card when there is one.
  if (auto device = OpenSdl()) return device;
  return OpenNull();
}

}  // namespace WaveOut
