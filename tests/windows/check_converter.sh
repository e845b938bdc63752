#!/usr/bin/env bash
# Checks qlx-convert.exe, run under Wine, against the Linux build's qlx-convert:
#   - the same documents, byte for byte, for every export the tests use (the sample, the golden
#     export, the fuzz corpus), and the same --text and --html of the sample;
#   - the same exit codes and messages' reasons for the usual mistakes;
#   - the same --diff of two versions of the sample;
#   - Windows paths: drive letters, backslashes, spaces and non-ASCII names, both ways;
#   - the default folder c:\temp when --out is absent.
#
#   tests/windows/check_converter.sh LINUX_BUILD WINDOWS_BUILD
# WINEPREFIX should name a prefix of the Windows build's own; wine64 is looked for where
# Debian installs it.
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all
: "${WINEPREFIX:=$windows/wine}"
export WINEPREFIX
work=$(mktemp -d)
trap 'rm -rf "$work"; "${wine%/*}/wineserver" -k 2>/dev/null || true' EXIT
"${wine%/*}/wineserver" -p 2>/dev/null || true  # one server for all the runs below

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
exe() { "$wine" "$windows/qlx-convert.exe" "$@"; }

# The documents of every export, and what each build says about it.
exports=("$root/examples/sample.qlx" "$root/tests/richtext/data/golden/accents.qlx"
         "$root"/fuzz/corpus/convert_fuzzer/*)
count=0
for export in "${exports[@]}"; do
    count=$((count + 1))
    name=$count
    set +e
    "$linux/qlx-convert" --out "$work/linux/$name" "$export" > "$work/linux-$name.out" 2> "$work/linux-$name.err"
    linux_status=$?
    exe --out "$work/windows/$name" "$export" > "$work/windows-$name.out" 2> "$work/windows-$name.err"
    windows_status=$?
    set -e
    [ "$linux_status" -eq "$windows_status" ] ||
        fail "$export: exit $linux_status on Linux, $windows_status on Windows"
    if [ -d "$work/linux/$name" ] || [ -d "$work/windows/$name" ]; then
        diff -r "$work/linux/$name" "$work/windows/$name" > /dev/null ||
            fail "$export: the documents differ"
    fi
    # Damage is reported the same, line for line (the export's name aside; messages for
    # people end their lines with CR LF on Windows).
    diff <(sed 's/^[^:]*:/EXPORT:/' "$work/linux-$name.err") \
         <(sed 's/^[^:]*:/EXPORT:/' "$work/windows-$name.err" | tr -d '\r') > /dev/null ||
        [ "$linux_status" -ne 0 ] || fail "$export: the damage reported differs"
done
echo "documents compared for $count exports"

for option in --text --html; do
    cmp <("$linux/qlx-convert" "$option" "$root/tests/richtext/data/converter.rtf") \
        <(exe "$option" "$root/tests/richtext/data/converter.rtf") > /dev/null ||
        fail "$option differs"
done

# Two versions of the sample compared: the same diff, summary and exit code.
LC_ALL=C sed 's/sorted by location/sorted by ward/' "$root/examples/sample.qlx" > "$work/new.qlx"
cp "$root/examples/sample.qlx" "$work/old.qlx"
(
    cd "$work"
    set +e
    "$linux/qlx-convert" --diff old.qlx new.qlx > linux.diff
    linux_status=$?
    exe --diff old.qlx new.qlx > windows.diff
    windows_status=$?
    set -e
    [ "$linux_status" -eq 1 ] && [ "$windows_status" -eq 1 ] ||
        echo "FAIL: --diff exits $linux_status on Linux, $windows_status on Windows" >&2
    cmp linux.diff windows.diff > /dev/null || echo "FAIL: --diff differs" >&2
) 2> "$work/diff.err"
[ -s "$work/diff.err" ] && fail "$(cat "$work/diff.err")"

# Exit codes and the first words of the messages.
check_exit() {
    local expected=$1
    shift
    set +e
    exe "$@" > "$work/out" 2> "$work/err"
    local status=$?
    set -e
    [ "$status" -eq "$expected" ] || fail "qlx-convert.exe $*: exit $status, expected $expected"
}
check_exit 0 --help
check_exit 0 --version
check_exit 2 --no-such-option "$root/examples/sample.qlx"
check_exit 2
check_exit 1 "$work/missing.qlx"
check_exit 1 "$root/tests/richtext/data/converter.rtf"
cmp <("$linux/qlx-convert" --help) <(exe --help) > /dev/null || fail "--help differs"

# Windows paths: a drive letter, backslashes, spaces and names beyond ASCII, in and out.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Exports dir/Proben é"
cp "$root/examples/sample.qlx" "$drive_c/Exports dir/Proben é/Übersicht ñ.qlx"
exe --out 'C:\Out dir\Résultats ü' 'C:\Exports dir\Proben é\Übersicht ñ.qlx' > "$work/listed" ||
    fail "Windows paths: the conversion failed"
diff -r "$work/linux/1" "$drive_c/Out dir/Résultats ü" > /dev/null ||
    fail "Windows paths: the documents differ"
grep -q '^C:\\Out dir\\Résultats ü\\temp1\.rtf' "$work/listed" ||
    fail "Windows paths: the list names $(head -c 200 "$work/listed")"

# Without --out: a folder of its own in c:\temp.
exe 'C:\Exports dir\Proben é\Übersicht ñ.qlx' > "$work/listed" || fail "default folder: failed"
first=$(head -n 1 "$work/listed" | cut -f 1)
case "$first" in
    c:\\temp\\*\\temp1.rtf) ;;
    *) fail "default folder: the first document is $first" ;;
esac
folder=${first#c:\\temp\\}
folder=${folder%%\\*}
diff -r "$work/linux/1" "$drive_c/temp/$folder" > /dev/null || fail "default folder: documents differ"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "qlx-convert.exe agrees with the Linux build"
