#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Does nothing when they are all present, so repeated runs stay fast.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  ccache   # rebuilds of an unchanged tree (fresh clones, the sanitizer build) cost little
  qt6-base-dev qt6-translations-l10n libgl-dev
  libicu-dev libgtest-dev libgmock-dev
  fonts-ipafont-gothic xvfb xauth x11-apps imagemagick xdotool
  fonts-noto-cjk   # what the IPA fonts lack: Hangul, Chinese characters outside the Japanese sets
  x11-utils   # xprop: the focus scenario waits for the window manager (tests/wm)
  xdg-utils
  lhasa libarchive-tools 7zip unar jlha-utils default-jre-headless
  clang libclang-rt-14-dev   # the libFuzzer build (tools/fuzz.sh)
  clang-format   # the format check of the sources (tests/repo/format.sh)
  clang-tidy   # the bug-prone and performance checks of .clang-tidy (README)
  # The Debian package (tools/package-deb.sh: dpkg-shlibdeps needs file, the
  # checks lintian, desktop-file-validate and appstreamcli) and the test of
  # the installed program under Xvfb with a window manager.
  file lintian desktop-file-utils appstream openbox
  librsvg2-bin   # renders the icon's PNG sizes (resources/linux/icons/render.sh)
  # The Windows build of the core and its tests under Wine (tools/wine-test.sh);
  # googletest is the source package the cross build compiles GoogleTest from,
  # locales has the ja_JP definition that gives Wine code page 932.
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 googletest locales
  # The whole program for Windows: Qt for Windows is built from Debian's
  # source package (tools/qt-windows.sh: dpkg-dev unpacks it), the smoke run
  # puts the real windows under openbox (above, tools/smoke.sh), and the
  # portable zip is made (by Python) and checked (tools/package-windows.sh);
  # Python also counts the Windows tests' reports.
  dpkg-dev unzip python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "bootstrap: installing ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
