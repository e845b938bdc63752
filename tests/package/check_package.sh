#!/usr/bin/env bash
# Builds the Debian package in BUILD (cpack -G DEB) and checks it:
#   - both programs, the desktop entry, the MIME type, the icons in the hicolor theme and the
#     manuals are in it, and its dependencies were computed;
#   - desktop-file-validate passes on the entry;
#   - the MIME file is well formed, and update-mime-database, run into a scratch folder,
#     takes *.qlx and the magic MEDITECH.CUST.RPTS^ at offset 0 from it;
#   - the package unpacked into a scratch root (dpkg -x) runs its qlx-convert on the sample
#     export with the same documents and list as the build's.
#
#   tests/package/check_package.sh BUILD
set -euo pipefail
build=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="$build/qlx-viewer_${version}_$(dpkg --print-architecture).deb"
[ -f "$package" ] || { echo "FAIL: no $package"; exit 1; }

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

dpkg-deb -f "$package" Depends | grep -q 'libqt6widgets6' || fail "no Qt in Depends"
dpkg -x "$package" "$work/root"
for file in usr/bin/qlx-viewer usr/bin/qlx-convert usr/share/applications/qlx-viewer.desktop \
            usr/share/mime/packages/qlx-viewer.xml usr/share/man/man1/qlx-convert.1.gz \
            usr/share/man/man1/qlx-viewer.1.gz; do
    [ -f "$work/root/$file" ] || fail "$file is missing"
done
for size in 32 64 128; do
    [ -f "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/qlx-viewer.png" ] ||
        fail "the ${size}-pixel icon is missing"
done

desktop-file-validate "$work/root/usr/share/applications/qlx-viewer.desktop" ||
    fail "desktop-file-validate"

xmllint --noout "$work/root/usr/share/mime/packages/qlx-viewer.xml" || fail "MIME file"
mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/qlx-viewer.xml" "$work/mime/packages/"
update-mime-database "$work/mime" > /dev/null 2>&1 || fail "update-mime-database"
grep -q '^application/x-qlx-export:\*\.qlx$' "$work/mime/globs" || fail "no *.qlx glob"
grep -aq 'MEDITECH.CUST.RPTS^' "$work/mime/magic" || fail "no magic"

man -l "$work/root/usr/share/man/man1/qlx-convert.1.gz" > /dev/null 2>&1 ||
    zcat "$work/root/usr/share/man/man1/qlx-convert.1.gz" | grep -q '^\.TH QLX-CONVERT' ||
    fail "the manual of qlx-convert"

"$work/root/usr/bin/qlx-convert" --out "$work/packaged" "$root/examples/sample.qlx" \
    > "$work/packaged.list"
"$build/qlx-convert" --out "$work/built" "$root/examples/sample.qlx" > "$work/built.list"
diff -r "$work/packaged" "$work/built" > /dev/null || fail "the packaged qlx-convert's documents differ"
diff <(sed "s|$work/packaged|DIR|" "$work/packaged.list") \
     <(sed "s|$work/built|DIR|" "$work/built.list") > /dev/null || fail "the lists differ"

if [ "$failures" -ne 0 ]; then
    echo "$failures package checks failed" >&2
    exit 1
fi
echo "$(basename "$package") checked"
