// Choosing the audio device from FONIX_AUDIO.
#include "platform/audio/waveout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace WaveOut {

bool CheckChoice(std::string& error) {
  const char* env = std::getenv("FONIX_AUDIO");
  const std::string choice = env ? env : "";
  if (choice.empty() || choice == "sdl" || choice == "null" || choice == "instant") return true;
  if (choice.rfind("capture:", 0) == 0 && choice.size() > 8) {
    const std::string path = choice.substr(8);
    // Created now, as the device will create it anew when it starts.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      error = "não foi possível criar o arquivo de som " + path;
      return false;
    }
    ::close(fd);
    return true;
  }
  error = "FONIX_AUDIO desconhecido: " + choice + " (use sdl, null, instant ou capture:ARQUIVO)";
  return false;
}

std::unique_ptr<Device> OpenChosen(const char* purpose) {
  const char* env = std::getenv("FONIX_AUDIO");
  const std::string choice = env ? env : "";
  if (choice == "null") return OpenNull();
  // The null device without its pace: every sound is done the moment it is queued, for runs
  // that wait on what is said rather than on how long it takes to say it.
  if (choice == "instant") return OpenNull(WaveOut::Pacing::None);
  if (choice.rfind("capture:", 0) == 0 && choice.size() > 8) {
    const std::string path = choice.substr(8);
    return OpenCapture(std::strcmp(purpose, "midi") == 0 ? CaptureMidiPath(path) : path);
  }
  // "sdl" or empty (anything else is refused at start): the sound card when there is one.
  if (auto device = OpenSdl()) return device;
  return OpenNull();
}

}  // namespace WaveOut
