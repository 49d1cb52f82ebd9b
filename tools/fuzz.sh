#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#
#   tools/fuzz.sh [seconds-per-target] [target...]
#
# Default: 180 seconds for every target. Each target starts from a copy of
# its seed corpus in tests/fuzz/corpus/, so the repository is never written
# to; the grown corpus, the logs and anything found (crash-*, leak-*,
# timeout-*, oom-*) stay in a working directory outside the repository,
# printed at the end. Exits non-zero when any target found something.
#
# SORVIK_FUZZ_BUILD  build directory (default: ../build-fuzz beside the repository)
# SORVIK_FUZZ_WORK   working directory (default: a new /tmp/sorvik-fuzz-<time>)
# SORVIK_FUZZ_TMP    where the targets make their temporary drives (default:
#                    <working directory>/<target>/tmp); a tmpfs such as
#                    /dev/shm makes fuzz_lha_check several times faster
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${SORVIK_FUZZ_BUILD:-$(dirname "$repo")/build-fuzz}"
work="${SORVIK_FUZZ_WORK:-/tmp/sorvik-fuzz-$(date +%Y%m%d-%H%M%S)}"
all_targets=(fuzz_settings fuzz_fields fuzz_lha_header fuzz_lha_decode fuzz_lha_check
  fuzz_lha_cmdline fuzz_wildcard fuzz_cp932)

seconds=180
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
for t in "${targets[@]}"; do
  if [ ! -d "$repo/tests/fuzz/corpus/$t" ]; then
    echo "fuzz: unknown target $t (known: ${all_targets[*]})" >&2
    exit 2
  fi
done

case "$work" in
  "$repo"|"$repo"/*) echo "fuzz: the working directory must lie outside the repository" >&2; exit 2 ;;
esac

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ nice -n 10 cmake -S "$repo" -B "$build" -G Ninja \
    -DSORVIK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Only the fuzz targets: the rest of the tree is not needed here.
nice -n 10 ninja -C "$build" "${targets[@]}"

mkdir -p "$work"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

found=0
summary=()
for t in "${targets[@]}"; do
  dir="$work/$t"
  tmp="${SORVIK_FUZZ_TMP:-$dir/tmp}"
  mkdir -p "$dir/corpus" "$dir/artifacts" "$tmp"
  cp -n "$repo/tests/fuzz/corpus/$t/"* "$dir/corpus/" 2>/dev/null || true
  echo "fuzz: $t for ${seconds}s"
  status=0
  # The targets' temporary drives stay out of the repository and the home too.
  TMPDIR="$tmp" nice -n 10 "$build/bin/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/log" 2>&1 || status=$?
  execs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$dir/log" | awk '{print $2}' | tail -1)"
  if [ -z "$execs" ]; then
    # A run stopped by a finding prints no final stats; its last status line counts.
    execs="$(grep -o '^#[0-9]*' "$dir/log" | tr -d '#' | tail -1)"
  fi
  artifacts=$(find "$dir/artifacts" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$artifacts" -gt 0 ]; then
    found=1
    result="FOUND (exit $status, $artifacts artifact(s); see $dir/log)"
  else
    result="nothing found"
  fi
  summary+=("$(printf '%-18s %6ss %12s execs  %s' "$t" "$seconds" "${execs:-?}" "$result")")
  echo "  ${summary[-1]}"
done

echo
echo "fuzz: results"
printf '  %s\n' "${summary[@]}"
echo "fuzz: working directory and artifacts: $work (artifacts in <target>/artifacts/)"
exit "$found"
