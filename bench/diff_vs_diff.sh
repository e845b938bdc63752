#!/usr/bin/env bash
# Times qlx-convert --diff on two versions of a generated export (every 20th procedure, 5%,
# worded a little differently) against `diff -u` over the two exports' documents' text as
# `qlx-convert --text` writes it, each version's texts joined into one file, in one run; and
# reports the peak memory of qlx-convert --diff against the two exports' size together.
#
#   bench/diff_vs_diff.sh [BUILD_DIR] [SIZE_IN_MB] [PROCEDURES]    (build-bench, 100, 400)
set -euo pipefail
build=${1:-build-bench}
size=${2:-100}
procedures=${3:-400}
runs=3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench/timing.sh
. "$(dirname "$0")/timing.sh"

"$build/generate_export" "$size" "$work/old.qlx" "$procedures"
"$build/generate_export" "$size" "$work/new.qlx" "$procedures" 20
for version in old new; do
    "$build/qlx-convert" --text --out "$work/$version" "$work/$version.qlx" > /dev/null
    # The texts in export order, joined.
    for ((n = 1; n <= procedures; n++)); do cat "$work/$version/temp$n.txt"; done > "$work/$version.txt"
done
bytes=$(( $(stat -c %s "$work/old.qlx") + $(stat -c %s "$work/new.qlx") ))


diff_times=() compare_times=() peaks=()
for _ in $(seq "$runs"); do
    read -r t _ < <(seconds sh -c "diff -u '$work/old.txt' '$work/new.txt' > '$work/diff.out'; [ \$? -le 1 ]")
    diff_times+=("$t")
    read -r t kb < <(seconds sh -c "'$build/qlx-convert' --diff '$work/old.qlx' '$work/new.qlx' > '$work/compare.out'; [ \$? -eq 1 ]")
    compare_times+=("$t")
    peaks+=("$kb")
done
diff_best=$(printf '%s\n' "${diff_times[@]}" | best)
compare_best=$(printf '%s\n' "${compare_times[@]}" | best)
peak_kb=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -n 1)
changed=$(grep -c '^changed ' "$work/compare.out" || true)

awk -v b="$bytes" -v d="$diff_best" -v c="$compare_best" -v p="$peak_kb" -v n="$changed" \
    -v t="$(stat -c %s "$work/old.txt")" 'BEGIN {
    printf "exports:       2 x %.1f MB; text %.1f MB each; %d procedures changed\n", b / 2 / 1048576, t / 1048576, n
    printf "diff -u:       %.3f s (best of runs)\n", d
    printf "--diff:        %.3f s (best of runs), %.2f x diff -u\n", c, (d > 0 ? c / d : 0)
    printf "peak memory:   %.1f MB, %.2f x the two exports\n", p / 1024, p * 1024 / b
}'
