#!/usr/bin/env bash
# Times qlx-convert writing its documents over those of an earlier run against `cp` of the
# same documents over an earlier copy of them (the floor for writing those bytes into
# existing names), in one run, and checks that every run writes the same bytes.
#
#   bench/convert_vs_copy.sh [BUILD_DIR] [SIZE_IN_MB] [PROCEDURES]
# BUILD_DIR must have been configured with -DQLX_BUILD_BENCH=ON (default: build-bench).
# PROCEDURES 0 gives procedures of some 20 KB each (default 400).
set -euo pipefail
build=${1:-build-bench}
size=${2:-100}
procedures=${3:-400}
runs=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench/timing.sh
. "$(dirname "$0")/timing.sh"

"$build/generate_export" "$size" "$work/export.qlx" "$procedures"
"$build/qlx-convert" --out "$work/out" "$work/export.qlx" >/dev/null
cp -r "$work/out" "$work/first"
cp -r "$work/out" "$work/copy"
sync


copy_times=() convert_times=()
for _ in $(seq "$runs"); do
    read -r t _ < <(seconds cp -r "$work/out/." "$work/copy/")
    copy_times+=("$t")
    read -r t _ < <(seconds "$build/qlx-convert" --out "$work/out" "$work/export.qlx")
    convert_times+=("$t")
done
diff -r "$work/first" "$work/out" >/dev/null || { echo "the runs wrote different documents" >&2; exit 1; }

# median: the middle one of the numbers on standard input (an odd count of them).
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
copy_best=$(printf '%s\n' "${copy_times[@]}" | best)
convert_best=$(printf '%s\n' "${convert_times[@]}" | best)
copy_median=$(printf '%s\n' "${copy_times[@]}" | median)
convert_median=$(printf '%s\n' "${convert_times[@]}" | median)
awk -v b="$(stat -c %s "$work/export.qlx")" -v o="$(du -sb "$work/out" | cut -f1)" \
    -v d="$(ls "$work/out" | wc -l)" -v c="$copy_best" -v q="$convert_best" \
    -v cm="$copy_median" -v qm="$convert_median" 'BEGIN {
    printf "export:        %.1f MB; documents: %d, %.1f MB\n", b / 1048576, d, o / 1048576
    printf "cp:            %.3f s (best of runs), median %.3f s\n", c, cm
    printf "qlx-convert:   %.3f s (best of runs), %.2f x cp; median %.3f s, %.2f x cp\n", q,
        (c > 0 ? q / c : 0), qm, (cm > 0 ? qm / cm : 0)
}'
