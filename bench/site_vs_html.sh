#!/usr/bin/env bash
# Times `qlx-convert --site` publishing an export against `qlx-convert --html` of the same
# export (its documents and their pages), in one run, pair by pair; then sizes the search index
# against the documents' text, and times a search over the whole site in headless Chromium
# (where Chromium, its driver and Selenium are installed).
#
#   bench/site_vs_html.sh [BUILD_DIR] [SIZE_IN_MB] [PROCEDURES] [WORD]
# BUILD_DIR must have been configured with -DQLX_BUILD_BENCH=ON (default: build-bench).
set -euo pipefail
build=$(realpath "${1:-build-bench}")
size=${2:-100}
procedures=${3:-400}
word=${4:-total}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/generate_export" "$size" "$work/export.qlx" "$procedures"
farm-bench -n 5 --timeout 1200 \
    --vs "$build/qlx-convert --html --out $work/html $work/export.qlx" \
    -- "$build/qlx-convert" --site "$work/site" "$work/export.qlx"

"$build/qlx-convert" --text --out "$work/text" "$work/export.qlx" >/dev/null
awk -v i="$(stat -c %s "$work/site/search-index.js")" \
    -v t="$(cat "$work/text"/*.txt | wc -c)" \
    -v s="$(du -sb "$work/site" | cut -f1)" -v h="$(du -sb "$work/html" | cut -f1)" 'BEGIN {
    printf "site: %.1f MB; --html folder (RTF and pages): %.1f MB\n", s / 1048576, h / 1048576
    printf "search index: %.1f MB, %.3f x the documents'"'"' text (%.1f MB)\n", i / 1048576, i / t, t / 1048576
}'
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" "$here/../tests/publishing/site_browser_test.py" --search-time "$work/site" "$word" ||
    echo "(no search timed: see above)"
