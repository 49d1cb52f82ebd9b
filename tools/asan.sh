#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs them all; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh
cmake --preset asan
cmake --build --preset asan
# The scenarios that run the whole program under Xvfb go at a user's pace and
# the package test installs the program on the machine: the normal suite runs
# them; under the sanitizers' slowdown their timing would only add noise.
ctest --preset asan -E '^(wm|repo)\.|^InstalledProgram$'
