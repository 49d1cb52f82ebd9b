#!/usr/bin/env bash
# Windows and macOS keep one of two names that differ only in letter case, so
# a checkout there would silently lose a file: no two tracked paths may.
set -euo pipefail
cd "$1"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "case_collisions: not a git checkout, nothing to check"
    exit 0
fi
# Every file and every directory above it: "Doc/a" and "doc/b" collide too.
paths() {
    git ls-files | awk -F/ '{ p = ""; for (i = 1; i < NF; i++) { p = p $i "/"; print p } print }' | LC_ALL=C sort -u
}
collisions=$(paths | LC_ALL=C sort -f | LC_ALL=C uniq -di)
if [ -n "$collisions" ]; then
    echo "case_collisions: these paths differ from others only in letter case:"
    paths | grep -iFx -f <(printf '%s\n' "$collisions")
    exit 1
fi
echo "case_collisions: ok ($(git ls-files | wc -l) paths)"
