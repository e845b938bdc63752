# Sourced by the benchmark scripts.
# best: the smallest of the numbers on standard input, one a line.
best() { sort -n | head -n 1; }
# seconds COMMAND...: the command's wall time in seconds and its peak memory in KB.
seconds() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1; }
