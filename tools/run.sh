#!/usr/bin/env bash
# Builds Sorvik and starts it (installs the Debian packages it needs first).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target sorvik
exec ./build/bin/sorvik
