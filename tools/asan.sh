#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs them all; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
