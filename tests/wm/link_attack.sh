#!/usr/bin/env bash
# A description file planted as a symbolic link to a file of the user's, in a
# shared directory: the real program under Xvfb with openbox, driven by keys
# at a user's pace, must never write through it and must say so when a
# description written there cannot be kept.
#   link_attack.sh PATH-TO-SORVIK
set -euo pipefail
sorvik=$(readlink -f "$1")
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "link_attack: $tool is missing (tools/bootstrap.sh installs it)"; exit 1; }
done

work=$(mktemp -d /tmp/sorvik-link-XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "link_attack: FAIL: $*"; exit 1; }

# The layout: the program with its data beside it, the user's home, a shared
# tree with the planted link, and the user's own work directory.
mkdir -p "$work/prog" "$work/home" "$work/run" "$work/top/shared" "$work/top/work"
chmod 700 "$work/run"
install -m 755 "$sorvik" "$work/prog/sorvik"
printf 'my notes\r\n\r\nno comma on this line\r\nC:\\x.txt,not ours\r\nlast line without end' > "$work/home/notes.txt"
cp "$work/home/notes.txt" "$work/notes.orig"
ln -s "$work/home/notes.txt" "$work/top/shared/SorvikDP.txt"
echo a > "$work/top/shared/a.txt"
echo w > "$work/top/work/w.txt"
# Read-only for everyone but root, as another user's directory would be.
chmod 555 "$work/top/shared"

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&3 || fail "Xvfb did not start"
export DISPLAY=":$display"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
# The test command runs ctest with QT_QPA_PLATFORM=offscreen; this program
# has to show its windows on the Xvfb display.
unset QT_QPA_PLATFORM
start() {
    (cd "$work/top/work" && exec "$work/prog/sorvik") >"$work/sorvik.log" 2>&1 &
    sorvik_pid=$!
    pids+=("$sorvik_pid")
    # xdotool gives up when a window it looks at goes away meanwhile (Qt
    # makes and drops helper windows while starting): ask again.
    main=""
    for _ in $(seq 100); do
        main=$(xdotool search --onlyvisible --pid "$sorvik_pid" --name '^sorvik\.[0-9]+$' 2>/dev/null | head -n1) || true
        [ -n "$main" ] && break
        sleep 0.1
    done
    [ -n "$main" ] || fail "the main window did not appear"
    settle
}
# A user's pace: a key, then time to look.
key() { for k in "$@"; do xdotool key "$k"; sleep 0.3; done; }
settle() {
    for _ in $(seq 50); do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$main" ] && return 0
        sleep 0.1
    done
    fail "the main window is not active: $(xdotool getactivewindow getwindowname 2>/dev/null || echo none)"
}
unchanged() {
    cmp -s "$work/home/notes.txt" "$work/notes.orig" || fail "the linked file was changed ($1)"
    [ -L "$work/top/shared/SorvikDP.txt" ] || fail "the link was replaced ($1)"
}
quit() {
    key Escape
    for _ in $(seq 50); do kill -0 "$sorvik_pid" 2>/dev/null || return 0; sleep 0.1; done
    fail "Esc did not close the program"
}

# 1. A description written in the work directory, then through the shared
# directory and back: the link is left alone, and nothing is said.
start
key Right Right Right Right Return
xdotool type --delay 120 memo
key Return Left Left Left Left Left Up Return   # the tree, up to top
key Down Return                                 # into shared
key Up Return                                   # and out again
settle
unchanged "passing through"
key Right
quit
grep -q 'w.txt,memo' "$work/prog/SYSDAT/SorvikDP.txt" || fail "the description written before did not reach the central file"

# 2. A description written in the shared directory: refused with a message
# naming the file; after it the main window has the keys again. Without the
# settings the program starts in the work directory again.
rm -f "$work/prog/SYSDAT/"*.ini
start
key Left Up Return Down Return Right            # into shared, to the table
key Right Right Right Right Return
xdotool type --delay 120 shared
key Return Left Left Left Left Left Up Return   # leave: the save is refused
box=""
for _ in $(seq 50); do
    active=$(xdotool getactivewindow 2>/dev/null || true)
    if [ -n "$active" ] && [ "$active" != "$main" ]; then box=$active; break; fi
    sleep 0.1
done
[ -n "$box" ] || fail "no message told that the description could not be written"
box_name=$(xdotool getwindowname "$box" 2>/dev/null || true)
[ "$box_name" = sorvik ] || fail "another window than the message: '$box_name'"
key Return
settle
unchanged "a description written there"
key Right
quit
echo "link_attack: ok"
