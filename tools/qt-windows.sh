#!/usr/bin/env bash
# Builds Qt for Windows (Core, Gui, Widgets, Test; the windows and offscreen
# platform plugins; the Windows styles) from Debian's qt6-base source package
# with mingw-w64, into a cache outside the checkout:
#   ${SORVIK_QT_WINDOWS:-$HOME/.cache/sorvik/qt-6.4.2-mingw64}
# The source is the host Qt's own version, so the host's moc, rcc and uic
# serve the cross build. Does nothing when the cache is complete: its stamp
# names the source version, the compiler and the configure options.
# About 35 minutes on two idle cores; SORVIK_QT_JOBS sets the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
prefix=${SORVIK_QT_WINDOWS:-$HOME/.cache/sorvik/qt-6.4.2-mingw64}
work=${prefix}.work
jobs=${SORVIK_QT_JOBS:-$(nproc)}
version=6.4.2+dfsg-10

step=""
fail() {
    echo "qt-windows: FAILED while $step" >&2
    echo "qt-windows: the work directory $work is kept; run the script again to retry" >&2
}
trap 'fail' ERR
say() { step=$1; echo "qt-windows: $(date +%T) $1"; }

# Only what Sorvik uses; the Wacom tablet header is not in Debian's source.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF
  -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF
  -DFEATURE_testlib=ON -DFEATURE_widgets=ON
)

bash tools/bootstrap.sh
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -1)
stamp_text=$(printf 'qt6-base %s\n%s\n%s\n' "$version" "$compiler" "${options[*]}")
if [ -f "$prefix/sorvik-qt.stamp" ] && [ "$(cat "$prefix/sorvik-qt.stamp")" = "$stamp_text" ]; then
    echo "qt-windows: $prefix is complete"
    exit 0
fi
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
if [ "$host_version" != "$version" ]; then
    echo "qt-windows: the host Qt is $host_version, the cross build needs its moc, rcc and uic at $version" >&2
    exit 1
fi

start=$SECONDS
mkdir -p "$work"
cd "$work"

# A private sources list and state directory: the machine's apt stays as it was.
if [ ! -d source ]; then
    say "fetching the qt6-base $version source package"
    mkdir -p apt/lists/partial apt/cache/archives/partial
    cat > apt/sources.list <<LIST
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
deb-src http://deb.debian.org/debian bookworm-updates main
LIST
    apt_opts=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
              -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache" -o APT::Sandbox::User=root)
    apt-get "${apt_opts[@]}" -qq update
    rm -rf download && mkdir download
    (cd download && apt-get "${apt_opts[@]}" -qq source --download-only "qt6-base=$version")
    say "unpacking the source with Debian's patches"
    rm -rf source.tmp
    dpkg-source -x download/qt6-base_"$version".dsc source.tmp >/dev/null
    mv source.tmp source
fi

say "configuring (log: $work/build/CMakeFiles/CMakeOutput.log)"
cmake -S source -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >configure.log \
    || { tail -40 configure.log >&2; false; }

say "building with $jobs jobs"
cmake --build build -j "$jobs"

say "installing into $prefix"
rm -rf "$prefix"
cmake --install build >/dev/null
printf '%s\n' "$stamp_text" >"$prefix/sorvik-qt.stamp"

cd /
rm -rf "$work"
echo "qt-windows: done in $(( (SECONDS - start) / 60 )) min $(( (SECONDS - start) % 60 )) s, $(du -sh "$prefix" | cut -f1) in $prefix"
