#!/usr/bin/env bash
# The installed program as a user meets it: the Debian package built from
# this build tree, installed, started by an ordinary user from the home under
# Xvfb with a window manager, F1, closed, and the package removed.
#
# As root (CI) the package is installed on the machine with apt-get and
# removed afterwards whatever happens; the user is "nobody" with a fresh home.
# Otherwise, or when a sorvik package is already installed here (it is left
# alone), the package is unpacked into a scratch root made read-only, and the
# program runs from there as the calling user.
#
#   installed-program.sh BUILD_DIR
# SORVIK_TEST_SCRATCH_ROOT=1 takes the scratch root even as root.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
# SJIS bytes of the program's own data file names.
settings_name=$(printf '\xe9\xbb\x91\xe9\xbb\x91\xe9\xbb\x91\xe9\xbb\x91.ini')
help_name=$(printf '\xe9\xbb\x91\xe9\xbb\x91\xe9\xbb\x91HP.txt')

fail() { echo "installed-program: FAIL: $*" >&2; exit 1; }
step() { echo "installed-program: $*"; }

for tool in Xvfb openbox xdotool dpkg-deb cpack lintian desktop-file-validate appstreamcli iconv; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/bootstrap.sh installs it)"
done

work=$(mktemp -d /tmp/sorvik-installed.XXXXXX)
chmod 755 "$work"
pids=()
installed_here=0
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  if [ $installed_here = 1 ] && dpkg-query -W -f='${Status}' sorvik 2>/dev/null | grep -q installed; then
    echo "installed-program: removing the package left installed" >&2
    dpkg --purge sorvik >/dev/null 2>&1 || true
  fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" = 0 ] && [ -z "${SORVIK_TEST_SCRATCH_ROOT:-}" ] && ! dpkg-query -W -f='${Status}' sorvik 2>/dev/null | grep -q "ok installed"; then
  mode=machine
else
  mode=scratch
fi

step "building the package ($mode install)"
bash "$src/tools/package-deb.sh" --build-dir "$build" --output "$work/dist" >"$work/package.log" 2>&1 \
  || { cat "$work/package.log" >&2; fail "tools/package-deb.sh failed"; }
deb=$(ls "$work"/dist/sorvik_*_amd64.deb)
step "$(basename "$deb"), $(stat -c %s "$deb") bytes"

home=$work/home
mkdir -p "$home"
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 "$home"
  become=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  user_name=nobody
else
  become=()
  user_name=$(id -un)
fi
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
# Everything the user runs: a clean environment without the test's
# QT_QPA_PLATFORM=offscreen, on this display.
user=("${become[@]}" env -i HOME="$home" USER="$user_name" LOGNAME="$user_name"
  PATH=/usr/local/bin:/usr/bin:/bin DISPLAY=":$n" LANG=C.UTF-8)

if [ $mode = machine ]; then
  installed_here=1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=120 \
    "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
  prefix=/usr
  program=sorvik
  [ "$(command -v sorvik)" = /usr/bin/sorvik ] || fail "sorvik is not /usr/bin/sorvik after the install"
else
  mkdir "$work/root"
  dpkg-deb -x "$deb" "$work/root"
  chmod -R a-w "$work/root"
  prefix=$work/root/usr
  program=$prefix/bin/sorvik
fi
bin_before=$(ls -A "$prefix/bin" | md5sum)
share_before=$(ls -AR "$prefix/share/sorvik" | md5sum)

# Xvfb and the window manager run as the user too.
(exec "${user[@]}" Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1) &
pids+=($!)
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
[ -e /tmp/.X11-unix/X$n ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
(exec "${user[@]}" openbox --sm-disable >"$work/openbox.log" 2>&1) &
pids+=($!)
sleep 1
kill -0 "${pids[1]}" 2>/dev/null || { cat "$work/openbox.log" >&2; fail "openbox did not start"; }

# The first visible window whose name matches $1. xdotool gives up when a
# window it looks at goes away meanwhile (Qt makes and drops helper windows):
# such an error is asked again, and only a clean "none" counts as none.
find_window() {
  local id
  for _ in $(seq 10); do
    id=$("${user[@]}" xdotool search --onlyvisible --name "$1" 2>"$work/xdotool.err" | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    grep -q "X Error" "$work/xdotool.err" || return 1
    sleep 0.1
  done
  return 1
}
# Waits up to $2 seconds for such a window.
wait_window() {
  local tries=$(( $2 * 10 ))
  for _ in $(seq "$tries"); do
    find_window "$1" && return 0
    sleep 0.1
  done
  return 1
}

step "starting $program as $("${user[@]}" id -un) in $home"
(cd "$home" && exec "${user[@]}" "$program" >"$work/sorvik.log" 2>&1) &
sorvik_pid=$!
pids+=($sorvik_pid)
main=$(wait_window '^sorvik\.[0-9]+$' 30) \
  || { cat "$work/sorvik.log" >&2; fail "the main window did not appear"; }
step "main window $main: $("${user[@]}" xdotool getwindowname "$main")"

data=$home/.local/share/sorvik/SYSDAT
[ -d "$data" ] || fail "the data directory $data was not made"
[ ! -e "$prefix/bin/SYSDAT" ] || fail "SYSDAT was made beside the installed program"

"${user[@]}" xdotool windowactivate --sync "$main"
"${user[@]}" xdotool key --clearmodifiers F1
# A missing help file would show its message box first, and the viewer only
# after that box is answered: the viewer appearing by itself means F1 found it.
viewer=$(wait_window '^SorvikHelp$' 10) \
  || fail "F1 did not open the help viewer by itself (help text not found?)"
step "help viewer $viewer"
"${user[@]}" xdotool windowactivate --sync "$viewer"
"${user[@]}" xdotool key --clearmodifiers Escape
for _ in $(seq 50); do
  find_window '^SorvikHelp$' >/dev/null || break
  sleep 0.1
done
find_window '^SorvikHelp$' >/dev/null && fail "Esc did not close the help viewer"

# Esc on the table closes the program, which writes its data files.
"${user[@]}" xdotool windowactivate --sync "$main"
"${user[@]}" xdotool key --clearmodifiers Escape
for _ in $(seq 100); do kill -0 "$sorvik_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$sorvik_pid" 2>/dev/null && fail "Esc did not close the program"
wait "$sorvik_pid" || fail "sorvik ended with status $?: $(cat "$work/sorvik.log")"

[ -f "$data/$settings_name" ] || fail "no settings file in $data: $(ls -A "$data")"
[ -f "$data/SorvikDP.txt" ] || fail "no description file in $data: $(ls -A "$data")"
# Windows form of a host path on the drive table, where C: is "/".
win() { printf 'C:%s' "${1//\//\\}"; }
descriptions=$(iconv -f CP932 -t UTF-8 "$data/SorvikDP.txt")
grep -qxF "$(win "$prefix/bin/sorvik"),Sorvik 実行ファイル" <<<"${descriptions//$'\r'/}" \
  || fail "the descriptions do not name the installed program: $descriptions"
grep -qxF "$(win "$prefix/share/sorvik/$help_name"),SorVIK 使用法説明ファイル" <<<"${descriptions//$'\r'/}" \
  || fail "the descriptions do not name the installed help text: $descriptions"
grep -qF "$(win "$home")\\" <<<"$(iconv -f CP932 -t UTF-8 "$data/$settings_name")" \
  || fail "the settings file does not remember the home it listed"
[ "$(ls -A "$prefix/bin" | md5sum)" = "$bin_before" ] || fail "the program's directory changed"
[ "$(ls -AR "$prefix/share/sorvik" | md5sum)" = "$share_before" ] || fail "share/sorvik changed"
step "settings and descriptions are in $data"

data_sum=$(cd "$data" && md5sum -- * | sort)
if [ $mode = machine ]; then
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq -o DPkg::Lock::Timeout=120 sorvik >"$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt-get remove failed"; }
  installed_here=0
  [ ! -e /usr/bin/sorvik ] && [ ! -e /usr/share/sorvik ] || fail "the package left its files behind"
else
  chmod -R u+w "$work/root"
  rm -rf "$work/root"
fi
[ "$(cd "$data" && md5sum -- * | sort)" = "$data_sum" ] || fail "removing the package changed the user's data"
step "package removed, the user's data kept"
