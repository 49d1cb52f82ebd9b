#!/usr/bin/env bash
# Starts the real program on a virtual screen with a window manager and works
# it by keys as a person would: the main window appears titled
# sorvik.<revision>, a description typed into the table reaches the central
# description file, F1 opens the help viewer, Esc closes it and Esc quits;
# a second start from the settings file writes another description. Run for
# the Linux build, the Windows build under Wine, or both; with both, the
# settings file and the central description file they write must be the
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
    [ -n "${SORVIK_SMOKE_KEEP:-}" ] || rm -rf "$work"
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

# Waits up to $2 seconds for a window whose title is exactly $1 and prints
# its id; gives up early when the program ($3) has ended.
wait_window() {
    local id deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null; then
            return 1
        fi
        sleep 0.5
    done
    return 1
}

press() {
    xdotool key --clearmodifiers "$@"
    sleep 0.7
}

# The keys of the first session: a description for b.txt, F1, Esc, Esc.
first_session() {
    local system=$1 main=$2 pid=$3 help
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
    help=$(wait_window SorvikHelp 30 "$pid") || fail "$system" "F1 opened no window titled SorvikHelp"
    press Escape
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^SorvikHelp$' >/dev/null 2>&1 || break
        sleep 0.2
    done
    ! xdotool search --onlyvisible --name '^SorvikHelp$' >/dev/null 2>&1 || fail "$system" "Esc did not close the help viewer"
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    sleep 0.5
    press Escape
}

# The second session starts from a settings file: a description for c.txt, Esc.
second_session() {
    press Down
    press Down
    press Right Right Right Right
    press Return
    xdotool type --delay 80 "second memo"
    sleep 0.5
    press Return
    press Escape
}

# One session of one system: $1 linux|windows, $2 1|2, $3 the root holding
# sorvik\ and tree\. Leaves the data files in $work/out-<system>-<session>.
run_session() {
    local system=$1 session=$2 root=$3 pid main
    if [ "$system" = linux ]; then
        (cd "$root/tree" && QT_QPA_PLATFORM=xcb exec "$root/sorvik/sorvik.exe" >>"$work/linux.log" 2>&1) &
    else
        (cd "$root/tree" && exec wine "$root/sorvik/sorvik.exe" >>"$work/windows.log" 2>&1) &
    fi
    pid=$!
    main=$(wait_window "sorvik\\.$revision" 120 "$pid") \
        || fail "$system" "no window titled sorvik.$revision appeared; the program said: $(tail -5 "$work/$system.log")"
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    sleep 1.5
    if [ "$session" = 1 ]; then first_session "$system" "$main" "$pid"; else second_session; fi
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    ! kill -0 "$pid" 2>/dev/null || fail "$system" "Esc in the table did not end the program"
    wait "$pid" || fail "$system" "the program ended with status $?"

    local data="$root/sorvik/SYSDAT" out="$work/out-$system-$session"
    mkdir -p "$out"
    for f in 黑黑黑黑.ini SorvikDP.txt; do
        [ -f "$data/$f" ] || fail "$system" "$f was not written beside the program"
        cp "$data/$f" "$out/"
    done
    # The keys reached the table: the row's record holds the typed text.
    local tree
    tree=$(printf 'C:\\TMP\\%s\\TREE' "${name^^}")
    grep -aiF "smoke memo" "$data/SorvikDP.txt" | grep -qaiF "$tree\\B.TXT" \
        || fail "$system" "the central description file has no 'smoke memo' for $tree\\B.TXT: $(cat -v "$data/SorvikDP.txt")"
    if [ "$session" = 2 ]; then
        grep -aiF "second memo" "$data/SorvikDP.txt" | grep -qaiF "$tree\\C.TXT" \
            || fail "$system" "the central description file has no 'second memo' for $tree\\C.TXT: $(cat -v "$data/SorvikDP.txt")"
        echo "smoke: $system: started from the settings file, second description written, Esc quit"
    else
        echo "smoke: $system: window sorvik.$revision, description written, help opened and closed, Esc quit"
    fi
}

# $1 $2: two files that must be the same bytes; $3 what they are.
same_bytes() {
    if ! cmp -s "$1" "$2"; then
        echo "smoke: $3 differs between Linux and Windows:" >&2
        diff <(cat -v "$1") <(cat -v "$2") >&2 || true
        exit 1
    fi
}

start_screen

linux_root="" windows_root=""
if [ -n "$linux_bin" ]; then
    linux_root=/tmp/$name
    mkdir -p "$linux_root/sorvik"
    # Named as on Windows, so the program's own record names the same file.
    cp "$linux_bin/sorvik" "$linux_root/sorvik/sorvik.exe"
    cp "$linux_bin"/黑黑黑HP.txt "$linux_root/sorvik/"
    make_tree "$linux_root/tree"
    run_session linux 1 "$linux_root"
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
    # A Wine session started without a display (the headless tests') has a
    # desktop without windows; this run starts its own on the virtual screen.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    timeout 300 wine cmd /c exit 0 >/dev/null 2>&1 || fail windows "Wine cannot start in $WINEPREFIX"
    windows_root=$WINEPREFIX/drive_c/tmp/$name
    wine_root=$windows_root
    mkdir -p "$windows_root"
    if [ -f "$windows_from" ]; then
        unzip -q "$windows_from" -d "$windows_root"
        [ -f "$windows_root/sorvik/sorvik.exe" ] || fail windows "the zip has no sorvik/sorvik.exe"
    else
        # What a user's folder holds, not the build's test programs.
        mkdir -p "$windows_root/sorvik"
        (cd "$windows_from" && cp -r sorvik.exe 黑黑黑HP.txt *.dll platforms styles "$windows_root/sorvik/")
    fi
    make_tree "$windows_root/tree"
    run_session windows 1 "$windows_root"
fi

# The first run's window goes where the window system puts a new window
# (openbox centres it, Windows cascades it), so its position is the one
# thing the first settings files may differ in. The second run starts both
# from one settings file; then everything must be the same bytes.
if [ -n "$linux_root" ] && [ -n "$windows_root" ]; then
    same_bytes "$work/out-linux-1/SorvikDP.txt" "$work/out-windows-1/SorvikDP.txt" "the central description file"
    same_bytes <(grep -av '^Top=\|^Left=' "$work/out-linux-1/黑黑黑黑.ini") \
        <(grep -av '^Top=\|^Left=' "$work/out-windows-1/黑黑黑黑.ini") "the settings file (but for the window's first place)"
fi
seed=$work/out-linux-1/黑黑黑黑.ini
[ -n "$linux_root" ] || seed=$work/out-windows-1/黑黑黑黑.ini
for root in $linux_root $windows_root; do
    cp "$seed" "$root/sorvik/SYSDAT/黑黑黑黑.ini"
done
[ -z "$linux_root" ] || run_session linux 2 "$linux_root"
[ -z "$windows_root" ] || run_session windows 2 "$windows_root"
if [ -n "$linux_root" ] && [ -n "$windows_root" ]; then
    same_bytes "$work/out-linux-2/黑黑黑黑.ini" "$work/out-windows-2/黑黑黑黑.ini" "the settings file"
    same_bytes "$work/out-linux-2/SorvikDP.txt" "$work/out-windows-2/SorvikDP.txt" "the central description file"
    echo "smoke: the settings file and the central description file are the same bytes on Linux and Windows"
fi
