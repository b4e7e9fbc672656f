#!/usr/bin/env bash
# Installs what the runtime and Clipora-light need (scripts/deps.sh: the build tools and the
# application's wget, yt-dlp, ffmpeg, mpv and GStreamer plug-ins), builds the runtime
# (release) and runs clipora-light, talking, in this terminal; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DFONIX_TESTS=OFF
cmake --build build/release --target clipora-light fonix
exec build/release/app/clipora-light "$@"
