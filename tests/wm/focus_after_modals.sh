#!/usr/bin/env bash
# After every modal window closes, the window that opened it must be active
# again and keys must reach the file table, whatever the window manager does.
# Offscreen tests cannot see this: it needs a real X server and a real window
# manager, which gives the focus back (or fails to) when windows close.
#
# Runs the real program under Xvfb with openbox, drives it with xdotool at a
# person's pace and, after each modal window closes, checks that the main
# window is active and that the next key reaches the table (it opens the
# rename dialog, or renames a file on disk). Each run starts the program
# afresh in a temporary directory; the fault this guards against came and went
# with timing, so several runs are made.
#
# Usage: focus_after_modals.sh <sorvik executable> [runs]
set -uo pipefail

program=${1:?usage: focus_after_modals.sh <sorvik executable> [runs]}
runs=${2:-${SORVIK_WM_RUNS:-6}}

for tool in Xvfb openbox xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool: run tools/bootstrap.sh" >&2
        exit 1
    fi
done

root=$(mktemp -d "${TMPDIR:-/tmp}/sorvik-wm.XXXXXX")
xvfb_pid=""
wm_pid=""
app_pid=""

stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

cleanup() {
    stop "$app_pid"
    stop "$wm_pid"
    stop "$xvfb_pid"
    rm -rf "$root"
}
trap cleanup EXIT

# Nothing of the real home or of the build directory is touched: the program
# keeps its data beside its executable, so a copy of it lives in the
# temporary directory, and HOME and the XDG directories point there too.
mkdir -p "$root/prog" "$root/home" "$root/run" "$root/work"
chmod 700 "$root/run"
cp "$program" "$root/prog/sorvik"
export HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
export XDG_CACHE_HOME="$root/home/.cache" XDG_RUNTIME_DIR="$root/run"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb

# A display number of its own, so parallel tests and other servers never meet.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$root/display" ] && break
    sleep 0.05
done
if ! [ -s "$root/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$root/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$root/display")"
openbox --sm-disable >"$root/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

main_id=""
failure=""

active_name() {
    local id
    id=$(xdotool getactivewindow 2>/dev/null) || return 0
    xdotool getwindowname "$id" 2>/dev/null
}

# Waits until the active window's title is exactly $1.
wait_active_title() {
    local title=$1 tries=${2:-60}
    for _ in $(seq "$tries"); do
        [ "$(active_name)" = "$title" ] && return 0
        sleep 0.05
    done
    return 1
}

# The main window must be active and hold the keyboard focus. The window
# manager is given a generous moment (slower than a person's next key) so that
# a busy machine is not mistaken for the fault: a lost focus never comes back.
expect_main_active() {
    local after=$1
    for _ in $(seq 60); do
        if [ "$(xdotool getactivewindow 2>/dev/null)" = "$main_id" ] \
            && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main_id" ]; then
            return 0
        fi
        sleep 0.05
    done
    failure="after $after the main window is not active (main: $main_id, active: $(xdotool getactivewindow 2>/dev/null) '$(active_name)', focus: $(xdotool getwindowfocus 2>/dev/null))"
    return 1
}

key() {
    xdotool key --clearmodifiers "$@"
    sleep 0.25
}

# R opens the rename dialog only from the table, so it proves that keys reach
# the table; Esc closes it again, which must give the focus back as well.
probe_table() {
    local after=$1
    key r
    if ! wait_active_title "名前の変更"; then
        failure="after $after R did not reach the table (active: '$(active_name)')"
        return 1
    fi
    key Escape
    expect_main_active "closing the rename dialog (after $after)"
}

# Copy of the current file onto itself: the overwrite question is asked inside
# the operation dialog. Enter and Y are typed at once, as a person who knows
# the question is coming does; Y is typed again if it came too early.
copy_onto_itself() {
    key c
    wait_active_title "ﾌｧｲﾙの複写" || { failure="C did not open the copy dialog (active: '$(active_name)')"; return 1; }
    xdotool key Return y
    sleep 0.5
    if [ "$(active_name)" = "sorvik" ]; then
        key y
    fi
    expect_main_active "the overwrite question and the copy dialog" && probe_table "the copy"
}

# Pack of a file big enough that the progress window shows, then a rename
# typed right after, checked on disk.
pack_with_progress() {
    key Down
    key p
    wait_active_title "ﾌｧｲﾙの圧縮" || { failure="P did not open the pack dialog (active: '$(active_name)')"; return 1; }
    local dialog progress_seen=""
    dialog=$(xdotool getactivewindow)
    key Return
    for _ in $(seq 600); do
        if [ -z "$progress_seen" ] && [ "$(active_name)" = "ﾌｧｲﾙの圧縮" ] \
            && [ "$(xdotool getactivewindow 2>/dev/null)" != "$dialog" ]; then
            progress_seen=yes
        fi
        if [ -f "$root/work/big.LZH" ] \
            && ! xdotool search --all --onlyvisible --pid "$app_pid" --name '^ﾌｧｲﾙの圧縮$' >/dev/null 2>&1; then
            break
        fi
        sleep 0.1
    done
    [ -n "$progress_seen" ] || { failure="the pack's progress window did not show"; return 1; }
    [ -f "$root/work/big.LZH" ] || { failure="the pack wrote no archive"; return 1; }
    expect_main_active "the pack's progress window and the pack dialog" || return 1
    key r
    wait_active_title "名前の変更" || { failure="after the pack R did not reach the table (active: '$(active_name)')"; return 1; }
    xdotool type --delay 60 big.old
    key Return
    expect_main_active "the rename dialog" || return 1
    for _ in $(seq 40); do
        [ -f "$root/work/big.old" ] && return 0
        sleep 0.05
    done
    failure="the rename typed after the pack did not happen: $(ls "$root/work" | tr '\n' ' ')"
    return 1
}

# Unpack of a damaged archive: the failure report is shown inside the
# operation dialog, then both close.
unpack_failure() {
    # A byte in the middle of the compressed data: the member's check fails.
    local size
    size=$(stat -c %s "$root/work/big.LZH")
    printf '\xa5' | dd of="$root/work/big.LZH" bs=1 seek=$((size / 2)) conv=notrunc status=none
    printf '\x5a' | dd of="$root/work/big.LZH" bs=1 seek=$((size / 2 + 1)) conv=notrunc status=none
    key u
    wait_active_title "ﾌｧｲﾙの解凍" || { failure="U did not open the unpack dialog (active: '$(active_name)')"; return 1; }
    key Return
    wait_active_title "sorvik" 400 || { failure="no failure report after unpacking a damaged archive (active: '$(active_name)')"; return 1; }
    key Return
    expect_main_active "the unpack's failure report and the unpack dialog" && probe_table "the unpack"
}

one_run() {
    rm -rf "$root/work" "$root/prog/SYSDAT"
    mkdir -p "$root/work"
    echo "a file to copy onto itself" >"$root/work/a.txt"
    # The program only reads it and renames its name away: a link will do.
    ln "$root/big.dat" "$root/work/big.dat" 2>/dev/null || cp "$root/big.dat" "$root/work/big.dat"
    (cd "$root/work" && exec "$root/prog/sorvik") >>"$root/sorvik.log" 2>&1 &
    app_pid=$!
    main_id=""
    for _ in $(seq 200); do
        main_id=$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^sorvik\.[0-9]+$' 2>/dev/null | head -n1)
        [ -n "$main_id" ] && break
        sleep 0.05
    done
    if [ -z "$main_id" ]; then
        failure="the main window did not show"
        return 1
    fi
    expect_main_active "the start" || return 1
    sleep 0.3
    # Rows: a.txt, big.dat; the cursor starts on a.txt.
    copy_onto_itself || return 1
    pack_with_progress || return 1
    # Rows: a.txt, big.LZH, big.old; the cursor is back on row 2, big.LZH.
    unpack_failure || return 1
    copy_onto_itself || return 1
}

# Data the archiver needs a moment for, so its progress window shows (it
# shows after half a second). How long a pack takes depends on the machine,
# so the archiver beside the program packs growing copies of the data until
# one takes at least two seconds.
archiver="$(dirname "$program")/sorvik-lha"
[ -x "$archiver" ] || { echo "missing $archiver" >&2; exit 1; }
head -c 30000000 /dev/urandom | base64 -w 76 | head -c 40000000 >"$root/chunk.dat"
chunks=1
while :; do
    for _ in $(seq "$chunks"); do cat "$root/chunk.dat"; done >"$root/big.dat"
    mkdir -p "$root/calibrate"
    started=$(date +%s%N)
    "$archiver" --host u "$root/calibrate/big.lzh" "$root/" big.dat >/dev/null \
        || { echo "the archiver could not pack the test data" >&2; exit 1; }
    took_ms=$(( ($(date +%s%N) - started) / 1000000 ))
    rm -rf "$root/calibrate"
    if [ "$took_ms" -ge 2000 ] || [ "$chunks" -ge 32 ]; then
        break
    fi
    # Aim a little above two seconds; at least double.
    next=$(( chunks * 2500 / (took_ms > 0 ? took_ms : 1) + 1 ))
    chunks=$(( next > chunks * 2 ? next : chunks * 2 ))
    chunks=$(( chunks > 32 ? 32 : chunks ))
done
rm -f "$root/chunk.dat"
echo "test data: $((chunks * 40)) MB, packed in ${took_ms} ms"

failed=0
for run in $(seq "$runs"); do
    failure=""
    if one_run; then
        echo "run $run: focus came back after every modal window"
    else
        echo "run $run: FAILED: $failure"
        failed=$((failed + 1))
    fi
    stop "$app_pid"
    app_pid=""
done
echo "$failed of $runs runs lost the focus"
[ "$failed" -eq 0 ]
