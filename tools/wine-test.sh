#!/usr/bin/env bash
# Cross-builds the whole program and every test program for Windows with
# mingw-w64 against Qt for Windows (tools/qt-windows.sh builds it once per
# machine, into a cache outside the checkout) and runs them under Wine,
# headless, with code page 932 as the ANSI code page: the window scenarios
# offscreen, then one smoke run of sorvik.exe with its real windows on a
# virtual screen, whose data files must equal the Linux program's.
# Usage: tools/wine-test.sh [--core-only] [build-dir [linux-build-dir]]
#   defaults: build-win and build beside the sources. The Linux build writes
#   the data files the Windows build's must equal byte for byte.
#   --core-only: without Qt for Windows, the core, lha/ and their tests only.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
core_only=OFF
if [ "${1:-}" = --core-only ]; then
    core_only=ON
    shift
fi
build=${1:-$src/build-win}
linux=${2:-$src/build}
bash tools/bootstrap.sh
if [ $core_only = OFF ]; then
    bash tools/qt-windows.sh
fi

# The Linux build's data files, for the comparison test, and its program for
# the smoke run's.
if [ ! -f "$linux/build.ninja" ]; then
    cmake -S "$src" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
targets=(sorvik_data_files)
[ $core_only = ON ] || targets+=(sorvik)
cmake --build "$linux" --target "${targets[@]}"
rm -rf "$build/data-files-linux"
mkdir -p "$build"
"$linux/bin/sorvik_data_files" "$build/data-files-linux"

# A private Wine prefix in the build directory, never the home's.
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# Wine takes its ANSI code page from the Unix locale: ja_JP gives 932. The
# locale is generated into the build directory when the system lacks it.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    export LOCPATH="$build/locale"
    if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8"
    fi
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DSORVIK_CORE_ONLY=$core_only \
    -DSORVIK_LINUX_DATA_FILES="$build/data-files-linux"
cmake --build "$build"

# One wineserver for the whole run, so each test program starts fast. It
# needs the prefix directory to exist, which a fresh checkout lacks.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
if ! wineserver -p </dev/null >/dev/null 2>&1; then
    echo "wine-test: wineserver cannot start for $WINEPREFIX; the Windows tests did not run" >&2
    exit 1
fi
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first start creates the prefix, which takes a while.
if ! timeout 300 wine cmd /c exit 0 >/dev/null 2>&1; then
    echo "wine-test: Wine cannot start here (wine cmd /c exit 0 failed); the Windows tests did not run" >&2
    exit 1
fi

# Each program (or shard) writes its cases' results here; the summary counts
# them and names every skip with its reason.
rm -rf "$build/test-results"
status=0
(cd "$build" && ctest --output-on-failure -j2) || status=$?
python3 tools/gtest-summary.py "$build/test-results" || true
[ $status -eq 0 ] || exit $status

if [ $core_only = OFF ]; then
    bash tools/smoke.sh --linux "$linux/bin" --windows "$build/bin" --prefix "$WINEPREFIX"
fi
