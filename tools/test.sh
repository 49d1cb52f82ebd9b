#!/usr/bin/env bash
# Builds Sorvik with its tests and runs every test (windows offscreen), then
# the core tests of the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
cd ..
# The same core tests built for Windows and run under Wine; its data files
# are compared with the ones this Linux build writes.
bash tools/wine-test.sh
