#!/usr/bin/env bash
# A source file a reader can hold in mind: no tracked .cpp or .h outside
# tests/ may pass 500 lines. A longer one is split along a seam of its own
# (a class, or a group of functions with one job), not cut in the middle.
set -euo pipefail
cd "$1"
limit=500
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "file_lengths: not a git checkout, nothing to check"
    exit 0
fi
long=""
count=0
while IFS= read -r -d '' path; do
    [ -f "$path" ] || continue
    count=$((count + 1))
    lines=$(wc -l < "$path")
    if [ "$lines" -gt "$limit" ]; then
        long+="  $path: $lines lines"$'\n'
    fi
done < <(git ls-files -z -- '*.cpp' '*.h' ':!:tests/')
if [ -n "$long" ]; then
    echo "file_lengths: these files are over $limit lines:"
    printf '%s' "$long"
    exit 1
fi
echo "file_lengths: ok ($count files, none over $limit lines)"
