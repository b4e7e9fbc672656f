#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need (run as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev googletest dash pkg-config locales
  wbrazilian espeak-ng python3
  libespeak-ng-dev espeak-ng-data
  libsdl2-dev libfluidsynth-dev fluid-soundfont-gm
  libssl-dev ca-certificates openssl curl
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
