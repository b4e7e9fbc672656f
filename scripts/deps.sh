#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need (run as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build g++ clang libclang-rt-14-dev lld
  libgtest-dev googletest dash pkg-config locales
  wbrazilian espeak-ng python3
  libespeak-ng-dev espeak-ng-data
  # The speech servers: Speech Dispatcher with its eSpeak NG module
  speech-dispatcher speech-dispatcher-espeak-ng libspeechd-dev
  libsdl2-dev libfluidsynth-dev fluid-soundfont-gm
  # the window console device: its font, pictures, and the tests' key typing and peer
  libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core libjpeg62-turbo-dev libxtst-dev xterm xclip x11-xkb-utils
  libx11-dev xdg-utils procps xvfb openbox x11-utils xfonts-base
  libssl-dev ca-certificates openssl curl
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools gstreamer1.0-x
  # Clipora-light's tools: fetches, the downloader, the MP3 conversion, the default player
  # and the built-in player's media plug-ins
  wget unzip yt-dlp ffmpeg mpv gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-libav
  # The Debian package: its checks, and what it depends on and recommends beyond the above,
  # so that it installs without the network
  lintian appstream desktop-file-utils man-db fonts-dejavu-core speech-dispatcher brltty
  # Desktop automation: XTest input, AT-SPI 2 accessibility with its bus, and what its tests
  # run (a private session bus, a GTK 3 window in Python, xclip)
  libxtst-dev libatspi2.0-dev at-spi2-core dbus python3-gi gir1.2-gtk-3.0 xclip
  # the braille display: BrlAPI to build, BRLTTY for the tests and the users
  libbrlapi-dev brltty
  # The voices' benchmark: its outside listener (a recogniser) and sound tools
  sox python3-pocketsphinx pocketsphinx-en-us python3-num2words
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
fi
