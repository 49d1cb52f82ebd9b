#!/usr/bin/env bash
# Starts the real program on a virtual screen with a window manager and works
# it by keys as a person would: the main window appears titled
# sorvik.<revision>, a description typed into the table reaches the central
# description file, F1 opens the help viewer, Esc closes it and Esc quits.
# Run for the Linux build, the Windows build under Wine, or both; with both,
# the settings file and the central description file they write must be the
# same bytes. Both programs live at the same Windows path (C:\tmp\<name>\sorvik\)
# and list the same tree (C:\tmp\<name>\tree\): on Linux C: is the root, under
# Wine the prefix's drive_c.
#
# Usage: tools/smoke.sh [--linux BIN_DIR] [--windows DIR_OR_ZIP] [--prefix DIR] [--screenshot PNG]
#   BIN_DIR     the Linux build's bin/ (sorvik and the help text)
#   DIR_OR_ZIP  a folder holding sorvik.exe with its DLLs (build-win/bin), or
#               the portable zip, unpacked as a user would
#   DIR         a Wine prefix to use (tools/wine-test.sh's); without it the
#               Windows run makes a fresh one of its own
#   PNG         where to save a picture of the Windows (else Linux) main window
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
linux_bin="" windows_from="" screenshot="" prefix=""
while [ $# -gt 0 ]; do
    case $1 in
        --linux) linux_bin=$(realpath "$2"); shift 2 ;;
        --windows) windows_from=$(realpath "$2"); shift 2 ;;
        --screenshot) screenshot=$(realpath -m "$2"); shift 2 ;;
        --prefix) prefix=$(realpath -m "$2"); shift 2 ;;
        *) echo "smoke: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ -z "$linux_bin" ] && [ -z "$windows_from" ]; then
    echo "usage: tools/smoke.sh [--linux BIN_DIR] [--windows DIR_OR_ZIP] [--screenshot PNG]" >&2
    exit 2
fi

revision=$(sed -n 's/^project(Sorvik VERSION [0-9]*\.[0-9]*\.\([0-9]*\).*/\1/p' "$src/CMakeLists.txt")
work=$(mktemp -d /tmp/sorvik-smoke.XXXXXX)
name=$(basename "$work")
pids=()
wine_root=""
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    if [ -n "${WINEPREFIX:-}" ] && [ -z "$prefix" ]; then wineserver -k 2>/dev/null || true; fi
    [ -z "$wine_root" ] || rm -rf "$wine_root"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "smoke: FAILED ($1): $2" >&2; exit 1; }

# The same files on both systems, so the table's rows are the same.
make_tree() {
    mkdir -p "$1/sub"
    printf 'alpha\r\n' >"$1/a.txt"
    printf 'bravo\r\n' >"$1/b.txt"
    printf 'charlie\r\n' >"$1/c.txt"
    printf '\x93\xfa\x96\x7b\r\n' >"$1/日本語.txt"
}

# A virtual screen with a window manager, which gives windows the focus.
start_screen() {
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=:$n
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || fail screen "Xvfb did not start ($(cat "$work/xvfb.log"))"
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}

# Waits for a window whose title is exactly $1; prints its id.
wait_window() {
    local id
    id=$(timeout "${2:-90}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] || return 1
    echo "$id"
}

press() {
    xdotool key --clearmodifiers "$@"
    sleep 0.7
}

# One run: $1 linux|windows, $2 the command's pid file. Leaves the data files
# in $work/out-$1.
drive_program() {
    local system=$1 pid=$2 root=$3
    local main help
    main=$(wait_window "sorvik\\.$revision" 120) || fail "$system" "no window titled sorvik.$revision appeared"
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    sleep 1.5
    # Second row (b.txt), description column, a description, Enter.
    press Down
    press Right Right Right Right
    press Return
    xdotool type --delay 80 "smoke memo"
    sleep 0.5
    press Return
    if [ -n "$screenshot" ] && { [ "$system" = windows ] || [ -z "$windows_from" ]; }; then
        sleep 1
        import -window "$main" "$screenshot"
    fi
    press F1
    help=$(wait_window SorvikHelp 30) || fail "$system" "F1 opened no window titled SorvikHelp"
    press Escape
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^SorvikHelp$' >/dev/null 2>&1 || break
        sleep 0.2
    done
    ! xdotool search --onlyvisible --name '^SorvikHelp$' >/dev/null 2>&1 || fail "$system" "Esc did not close the help viewer"
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    sleep 0.5
    press Escape
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    ! kill -0 "$pid" 2>/dev/null || fail "$system" "Esc in the table did not end the program"
    wait "$pid" || fail "$system" "the program ended with status $?"

    local data="$root/sorvik/SYSDAT"
    mkdir -p "$work/out-$system"
    for f in 黑黑黑黑.ini SorvikDP.txt; do
        [ -f "$data/$f" ] || fail "$system" "$f was not written beside the program"
        cp "$data/$f" "$work/out-$system/"
    done
    # The keys reached the table: b.txt's record holds the typed text.
    local key
    key=$(printf 'C:\\TMP\\%s\\TREE\\B.TXT' "${name^^}")
    grep -aiF "smoke memo" "$data/SorvikDP.txt" | grep -qaiF "$key" \
        || fail "$system" "the central description file has no 'smoke memo' for $key: $(cat -v "$data/SorvikDP.txt")"
    echo "smoke: $system: window sorvik.$revision, description written, help opened and closed, Esc quit"
}

start_screen

if [ -n "$linux_bin" ]; then
    root=/tmp/$name
    mkdir -p "$root/sorvik"
    # Named as on Windows, so the program's own record names the same file.
    cp "$linux_bin/sorvik" "$root/sorvik/sorvik.exe"
    cp "$linux_bin"/黑黑黑HP.txt "$root/sorvik/"
    make_tree "$root/tree"
    (cd "$root/tree" && QT_QPA_PLATFORM=xcb exec "$root/sorvik/sorvik.exe" >"$work/linux.log" 2>&1) &
    drive_program linux $! "$root"
fi

if [ -n "$windows_from" ]; then
    export WINEPREFIX="${prefix:-$work/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Code page 932, as on a Japanese Windows.
    if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        export LOCPATH="$work/locale"
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8"
    fi
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    mkdir -p "$WINEPREFIX"
    timeout 300 wine cmd /c exit 0 >/dev/null 2>&1 || fail windows "Wine cannot start in $WINEPREFIX"
    root=$WINEPREFIX/drive_c/tmp/$name
    wine_root=$root
    mkdir -p "$root"
    if [ -f "$windows_from" ]; then
        unzip -q "$windows_from" -d "$root"
        [ -f "$root/sorvik/sorvik.exe" ] || fail windows "the zip has no sorvik/sorvik.exe"
    else
        # What a user's folder holds, not the build's test programs.
        mkdir -p "$root/sorvik"
        (cd "$windows_from" && cp -r sorvik.exe 黑黑黑HP.txt *.dll platforms styles "$root/sorvik/")
    fi
    make_tree "$root/tree"
    (cd "$root/tree" && exec wine "$root/sorvik/sorvik.exe" >"$work/windows.log" 2>&1) &
    drive_program windows $! "$root"
fi

if [ -n "$linux_bin" ] && [ -n "$windows_from" ]; then
    for f in 黑黑黑黑.ini SorvikDP.txt; do
        if ! cmp -s "$work/out-linux/$f" "$work/out-windows/$f"; then
            echo "smoke: $f differs between Linux and Windows:" >&2
            diff <(cat -v "$work/out-linux/$f") <(cat -v "$work/out-windows/$f") >&2 || true
            exit 1
        fi
    done
    echo "smoke: the settings file and the central description file are the same bytes on Linux and Windows"
fi
