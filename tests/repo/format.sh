#!/usr/bin/env bash
# Every tracked C++ source must be as clang-format 14 writes it with the
# repository's .clang-format; other versions format some constructs
# differently, so only 14 is used. Without it the check is skipped (77).
#
#   tests/repo/format.sh <source dir> [--fix]
#
# --fix rewrites the files that differ instead of naming them.
set -euo pipefail
cd "$1"
fix=${2:-}
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "format: not a git checkout, nothing to check"
    exit 77
fi
tool=""
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null 2>&1 && "$candidate" --version | grep -q 'version 14\.'; then
        tool=$candidate
        break
    fi
done
if [ -z "$tool" ]; then
    echo "format: clang-format 14 not found (Debian package clang-format), check skipped"
    exit 77
fi
mapfile -d '' files < <(git ls-files -z '*.h' '*.cpp')
if [ "$fix" = "--fix" ]; then
    "$tool" -i --style=file "${files[@]}"
    echo "format: ${#files[@]} files formatted"
    exit 0
fi
# One run over all files; each finding starts with the file's name.
# Without --Werror a difference is a warning, so a failing run is a broken
# configuration or an unreadable file.
if ! report=$("$tool" --dry-run --style=file "${files[@]}" 2>&1 >/dev/null); then
    echo "$report"
    exit 1
fi
differing=$(grep -o '^[^:]*:[0-9]*:[0-9]*: warning: code should be clang-formatted' <<<"$report" | cut -d: -f1 | sort -u || true)
if [ -n "$differing" ]; then
    echo "format: these files differ from what $tool writes (fix with: tests/repo/format.sh . --fix):"
    echo "$differing"
    exit 1
fi
echo "format: ok (${#files[@]} files)"
