#!/usr/bin/env bash
# The folders depend on each other one way only, and only platform/ speaks to
# the system. The build cannot see either rule (every folder includes from the
# source root), so this check reads the includes of the tracked sources.
set -euo pipefail
cd "$1"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "layering: not a git checkout, nothing to check"
    exit 0
fi

# Which folders each folder may include from, besides its own.
rules='
platform:
ui: platform
lha: platform
cmd: platform
nav: platform ui
table: platform ui cmd
desc: platform ui table
jump: platform ui cmd table
ops: platform ui lha cmd nav table
assoc: platform ui cmd desc nav table
app: platform ui lha cmd nav table desc jump ops assoc
'
# Headers of the system and of ICU: platform/ only. Neither the system layer,
# the archiver nor the commands' vocabulary uses Qt.
includes() {
    # grep ends with 1 for a file without includes; xargs reports that as 123.
    git ls-files -z '*.h' '*.cpp' | xargs -0 grep -H -E '^#include ' || [ $? -eq 123 ]
}
report=$(includes | awk -v rules="$rules" '
    BEGIN {
        n = split(rules, lines, "\n")
        for (i = 1; i <= n; i++) {
            if (split(lines[i], kv, ":") < 2) continue
            known[kv[1]] = 1
            m = split(kv[2], deps, " ")
            for (j = 1; j <= m; j++) allow[kv[1], deps[j]] = 1
        }
        syshdr = "^#include <(unistd\\.h|fcntl\\.h|dirent\\.h|sys/[^>]*|windows\\.h|shlobj\\.h|shellapi\\.h|unicode/[^>]*|pwd\\.h|spawn\\.h|signal\\.h|poll\\.h|mntent\\.h|utime\\.h)>"
    }
    {
        colon = index($0, ":")
        file = substr($0, 1, colon - 1)
        line = substr($0, colon + 1)
        folder = file; sub(/\/.*/, "", folder)
        if (!(folder in known) || file !~ /\//) next
        if (match(line, /^#include "[a-z]+\//)) {
            target = substr(line, 11, RLENGTH - 11)
            if (target != folder && !((folder, target) in allow))
                print file ": " line " (" folder "/ may not depend on " target "/)"
        }
        if (folder != "platform" && line ~ syshdr)
            print file ": " line " (system headers belong in platform/)"
        if (line ~ /^#include <Q/ && (folder == "lha" || folder == "platform" || folder == "cmd"))
            print file ": " line " (" folder "/ has no Qt)"
    }')
problems=()
[ -z "$report" ] || mapfile -t problems <<<"$report"

if [ ${#problems[@]} -gt 0 ]; then
    echo "layering: includes against the layers:"
    printf '  %s\n' "${problems[@]}"
    exit 1
fi
echo "layering: ok"
