#!/usr/bin/env bash
# Builds the runtime with AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer (clang)
# and runs the whole test suite; also checks that the release build compiles cleanly with g++,
# and builds the Debian package from it, installs, runs and removes it (tests/package).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
# Line tables are the debug information the sanitizers' reports need (file and line of every
# frame); full debug information would cost a quarter more compile time.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_COMPILER=clang -DFONIX_SANITIZE=ON -DFONIX_FUZZ=ON \
  -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only -DCMAKE_C_FLAGS_DEBUG=-gline-tables-only
cmake --build build/test -j "$jobs"
# Configured as the package configures it (installed under /usr), so that the package is made
# from this build without compiling again.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DFONIX_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build/release -j "$jobs"
status=0
# One test more than there are cores: the end-to-end cases spend much of their time waiting
# for what the program says, and another test runs in that time.
(cd build/test && ctest --output-on-failure -j "$((jobs + 1))" "$@") || status=$?
bash scripts/package.sh build/release || status=1
bash tests/package/install_test.sh build/release/fonix_*.deb || status=1
exit $status
