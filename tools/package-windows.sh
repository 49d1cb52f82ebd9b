#!/usr/bin/env bash
# Makes the portable Windows zip, dist/sorvik-<version>-win64.zip: one folder
# sorvik\ with the program, the archiver, the help text, the DLLs and plugins
# they load, a README.txt in Japanese and the licence texts. Then checks it
# as a user would get it: unpacked into a fresh Wine prefix, the smoke run
# (tools/smoke.sh) must pass, with the same data files as the Linux program.
# Qt for Windows comes from tools/qt-windows.sh (built once per machine).
# Usage: tools/package-windows.sh [build-dir [linux-build-dir]]
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${1:-$src/build-win}
linux=${2:-$src/build}
qt=${SORVIK_QT_WINDOWS:-$HOME/.cache/sorvik/qt-6.4.2-mingw64}
bash tools/bootstrap.sh
bash tools/qt-windows.sh

version=$(sed -n 's/^project(Sorvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
qt_source=$(sed -n 's/^qt6-base //p' "$qt/sorvik-qt.stamp")

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DSORVIK_QT_WINDOWS="$qt" -DSORVIK_CORE_ONLY=OFF >/dev/null
cmake --build "$build" --target sorvik sorvik-lha sorvik_windows_runtime
if [ ! -f "$linux/build.ninja" ]; then
    cmake -S "$src" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$linux" --target sorvik

stage=$src/dist/stage
rm -rf "$stage"
mkdir -p "$stage/sorvik/platforms" "$stage/sorvik/styles" "$stage/sorvik/licenses"
bin=$build/bin
top=$stage/sorvik
for exe in sorvik.exe sorvik-lha.exe; do
    x86_64-w64-mingw32-strip -o "$top/$exe" "$bin/$exe"
done
cp "$bin"/黑黑黑HP.txt "$top/"
# The DLLs without their symbol tables and debug information, which the
# compiler's runtime carries and which no user needs.
for dll in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
           platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
    x86_64-w64-mingw32-strip --strip-unneeded -o "$top/$dll" "$bin/$dll"
done

# Text for Windows' editors: Shift_JIS or ASCII, CR LF.
crlf() { sed 's/\r$//; s/$/\r/'; }
iconv -f UTF-8 -t CP932 resources/windows/README.txt | crlf >"$top/README.txt"
lic=$top/licenses
crlf <LICENSE >"$lic/Sorvik-LICENSE.txt"
crlf </usr/share/common-licenses/LGPL-3 >"$lic/Qt-LGPL-3.txt"
crlf </usr/share/common-licenses/GPL-3 >"$lic/GPL-3.txt"
crlf </usr/share/doc/libqt6core6/copyright >"$lic/Qt-COPYRIGHT.txt"
crlf >"$lic/Qt-SOURCE.txt" <<EOF
Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, platforms\\qwindows.dll and
styles\\qwindowsvistastyle.dll are Qt 6.4.2 (qtbase), licensed under the GNU
Lesser General Public License version 3 (Qt-LGPL-3.txt, which builds on
GPL-3.txt); the copyright holders and the licences of the code Qt bundles
are listed in Qt-COPYRIGHT.txt.

They were built without changes from Debian's source package
qt6-base $qt_source, which is available at
  https://snapshot.debian.org/package/qt6-base/${qt_source//+/%2B}/
  (or: apt-get source qt6-base=$qt_source on Debian 12)
and upstream at https://download.qt.io/archive/qt/6.4/6.4.2/submodules/ .
The script that builds them, tools/qt-windows.sh, is part of Sorvik's
source; it lists every configure option used. You may replace these DLLs
with your own build of the same Qt version.
EOF
{
    echo "libstdc++-6.dll and libgcc_s_seh-1.dll are GCC's runtime libraries"
    echo "(GCC 12, as built by Debian's gcc-mingw-w64), licensed under the GNU General"
    echo "Public License version 3 (GPL-3.txt) with the GCC Runtime Library Exception,"
    echo "whose text is below. libwinpthread-1.dll is mingw-w64's winpthreads library"
    echo "(the expat/MIT licence, in the second part below)."
    echo
    echo "==== GCC (Debian's gcc-mingw-w64 copyright file) ===="
    cat /usr/share/doc/gcc-mingw-w64-base/copyright
    echo
    echo "==== mingw-w64 (Debian's mingw-w64-common copyright file) ===="
    cat /usr/share/doc/mingw-w64-common/copyright
} | crlf >"$lic/MinGW-runtime.txt"

# Fixed times (the last commit's) so the same sources give the same zip.
# Names are stored in code page 932, as Japanese Windows' own zip folders
# read them, with the UTF-8 name in the Info-ZIP extra field for every
# other unpacker.
mkdir -p dist
zip=$src/dist/sorvik-$version-win64.zip
rm -f "$zip"
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
python3 - "$stage" "$zip" "$stamp" <<'PY'
import os, struct, sys, time, zipfile, zlib

stage, out, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.localtime(stamp)[:6]

class Cp932Name(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode("cp932"), self.flag_bits & ~0x800

paths = []
for root, dirs, files in os.walk(stage):
    dirs.sort()
    for f in sorted(files):
        paths.append(os.path.join(root, f))

with zipfile.ZipFile(out, "w") as z:
    for path in paths:
        name = os.path.relpath(path, stage).replace(os.sep, "/")
        info = Cp932Name(name, when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        raw = name.encode("cp932")
        if raw != name.encode("ascii", "replace"):
            utf8 = name.encode("utf-8")
            body = struct.pack("<BI", 1, zlib.crc32(raw)) + utf8
            info.extra = struct.pack("<HH", 0x7075, len(body)) + body
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
rm -rf "$stage"
echo "package-windows: $zip ($(du -k "$zip" | cut -f1) KiB)"

# The zip as a user gets it, in a fresh Wine prefix, against the Linux program.
bash tools/smoke.sh --linux "$linux/bin" --windows "$zip"
echo "package-windows: $zip passed the smoke run"
