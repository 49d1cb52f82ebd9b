#!/usr/bin/env bash
# Builds the Debian package dist/sorvik_<version>_amd64.deb and checks it
# with lintian, desktop-file-validate and appstreamcli.
#
#   bash tools/package-deb.sh
#       a release build in build-deb/ with Debian's hardening flags
#   bash tools/package-deb.sh --build-dir DIR [--output DIR]
#       packages an existing build tree (the installed-program test does so)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=""
out=$root/dist
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(cd "$2" && pwd); shift 2 ;;
    --output) mkdir -p "$2"; out=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [--output DIR]" >&2; exit 2 ;;
  esac
done

if [ -z "$build" ]; then
  bash tools/bootstrap.sh
  build=$root/build-deb
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
fi
cmake --build "$build" --target sorvik sorvik-lha sorvik_install_files

mkdir -p "$out"
staging=$(mktemp -d "$out/.cpack.XXXXXX")
trap 'rm -rf "$staging"' EXIT
(cd "$build" && cpack -G DEB -B "$staging" >"$staging/cpack.log" 2>&1) || { cat "$staging/cpack.log" >&2; exit 1; }
deb=$(find "$staging" -maxdepth 1 -name 'sorvik_*.deb')
[ -n "$deb" ] || { echo "package-deb: cpack wrote no package" >&2; exit 1; }
mv -f "$deb" "$out/"
deb=$out/$(basename "$deb")

# The checks read the files as installed.
check=$staging/check
mkdir -p "$check"
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
# Errors fail the package; warnings are shown. (lintian complains when run
# as root, which CI does, and works all the same.)
lintian_ok=1
lintian --fail-on error "$deb" >"$staging/lintian.log" 2>&1 || lintian_ok=0
grep -v 'running with root privileges' "$staging/lintian.log" || true
[ $lintian_ok = 1 ] || { echo "package-deb: lintian reports errors" >&2; exit 1; }
echo "package-deb: $deb ($(stat -c %s "$deb") bytes)"
