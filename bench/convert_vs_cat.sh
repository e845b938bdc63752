#!/usr/bin/env bash
# Times qlx-convert against `cat EXPORT > FILE` on a generated export, in one run, and
# reports the converter's peak memory against the export's size.
#
#   bench/convert_vs_cat.sh [BUILD_DIR] [SIZE_IN_MB]
# BUILD_DIR must have been configured with -DQLX_BUILD_BENCH=ON (default: build-bench).
set -euo pipefail
build=${1:-build-bench}
size=${2:-100}
runs=3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench/timing.sh
. "$(dirname "$0")/timing.sh"

"$build/generate_export" "$size" "$work/export.qlx"
bytes=$(stat -c %s "$work/export.qlx")
cat "$work/export.qlx" > /dev/null  # into the page cache for both


cat_times=() convert_times=() peaks=()
for _ in $(seq "$runs"); do
    read -r t _ < <(seconds sh -c "cat '$work/export.qlx' > '$work/copy'")
    cat_times+=("$t")
    read -r t kb < <(seconds "$build/qlx-convert" --out "$work/out" "$work/export.qlx")
    convert_times+=("$t")
    peaks+=("$kb")
done
cat_best=$(printf '%s\n' "${cat_times[@]}" | best)
convert_best=$(printf '%s\n' "${convert_times[@]}" | best)
peak_kb=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -n 1)
documents=$(ls "$work/out" | wc -l)

awk -v b="$bytes" -v c="$cat_best" -v q="$convert_best" -v p="$peak_kb" -v d="$documents" 'BEGIN {
    printf "export:        %.1f MB, %d documents\n", b / 1048576, d
    printf "cat:           %.3f s (best of runs)\n", c
    printf "qlx-convert:   %.3f s (best of runs), %.2f x cat\n", q, (c > 0 ? q / c : 0)
    printf "peak memory:   %.1f MB, %.2f x the export\n", p / 1024, p * 1024 / b
}'
