#!/usr/bin/env bash
# Builds Sorvik with its tests and runs every test (windows offscreen) on
# Linux first, so a Linux failure is seen before the long build; then the
# whole program and its tests built for Windows and run under Wine, with the
# smoke run of the real windows (tools/wine-test.sh). The first run on a
# machine builds Qt for Windows (tools/qt-windows.sh, about 35 minutes on two
# cores); later runs find it in the cache.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVIK_WERROR=ON
cmake --build build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
cd ..
bash tools/wine-test.sh
