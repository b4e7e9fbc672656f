// The application folder c:\clipora-light on drive C: made on first start with its sounds,
// its tools (wget, the downloader youtube-dl.exe, ffmpeg.exe) and our launchers, never
// overwriting what is there (the user keeps the downloader current from the application).
#pragma once

#include <string>

namespace AppFolder {

// The Linux folder holding the installed application data (the sounds folder "som" and
// the launchers): FONIX_APP_DATA when set, else the installation's share/fonix/clipora-light
// beside the executable, else the folder the build wrote them to.
std::string DataFolder();

// Fills c:\clipora-light with what it lacks: som\ (each sound a link), temp\, the tools
// as links to the programs found on PATH (wget → wget, youtube-dl.exe → yt-dlp,
// ffmpeg.exe → ffmpeg) and copies of the launchers (youtube-dl, tocador). A tool whose
// program is not installed is left out (the application then downloads the downloader);
// a link whose program went away is made anew. False when something could not be made.
bool Install();

// The user's download folder (XDG_DOWNLOAD_DIR of user-dirs.dirs, else ~/Downloads),
// made when missing, as a drive path ("z:\home\ana\Downloads"); c:\clipora-light\downloads
// when no drive holds it or it cannot be made.
std::string DownloadFolder();

}  // namespace AppFolder
