#!/usr/bin/env bash
# Quick start on Debian 12:
#   ./build.sh run    install what is needed, build, open the sample export
#   ./build.sh test   install what is needed, build, run every test
#   ./build.sh sanitize   the same tests, built with AddressSanitizer and UBSan (build-asan/)
#   ./build.sh tsan       the tests of the code that runs threads (the background writer, the
#                         comparison's helpers, Find All's search, the loading of plain files
#                         and of RTF documents), built with ThreadSanitizer (build-tsan/)
#   ./build.sh windows    qlx-convert.exe and the core's tests cross-built with MinGW-w64
#                         (build-windows/), the tests run under Wine, the converter checked
#                         against the Linux build's
#   ./build.sh package    the Debian package (build/qlx-viewer_<version>_amd64.deb), checked
set -euo pipefail
cd "$(dirname "$0")"

# poppler-utils: the printing tests read the PDFs they print with pdftotext and pdffonts.
# libicu-dev: the code pages of RTF files. libdtl-dev: the diff of two exports' documents.
# liblz4-dev: the viewer keeps the documents waiting to be shown packed.
# mandoc: the viewer's help pages, made from the manuals.
# chromium, chromium-driver, python3-selenium, tidy: a published site and the comparison page
# opened in a real browser and checked by a validator.
packages=(build-essential cmake qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev libicu-dev libdtl-dev liblz4-dev fonts-liberation poppler-utils mandoc
          chromium chromium-driver python3-selenium tidy)

# LibreOffice: a second reader of the RTF files the tests read and save.
test_packages=(libreoffice-writer-nogui)
# The Windows cross build: MinGW-w64 with POSIX threads, and Wine to run what it builds.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 googletest)
# Checking the Debian package: its desktop entry, MIME type and dependencies.
package_packages=(dpkg-dev desktop-file-utils libxml2-utils shared-mime-info)

install_packages() {
    local missing=() package
    for package in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}

run_tests() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure --parallel "$(nproc)"
}

case "${1:-}" in
run)
    install_packages
    build build
    if [ -x build/qlx-viewer ]; then
        exec build/qlx-viewer examples/sample.qlx
    fi
    exec build/qlx-convert examples/sample.qlx
    ;;
test)
    install_packages "${test_packages[@]}"
    build build
    run_tests build
    ;;
sanitize)
    install_packages
    # Optimised a little (-O1, as the sanitizers' authors advise), with assertions: the large
    # inputs of the pathological tests then take seconds, not minutes, on a busy machine.
    build build-asan -DQLX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests build-asan
    ;;
tsan)
    install_packages
    # Only the programs whose tests run threads: the writer thread of a conversion (model and
    # files), the comparison's helper threads, a published site's page threads, RTF documents
    # read on the reading thread while they are built, and in the viewer the packing of an
    # export's documents, Find All's search, the comparison's work and the loading of plain
    # files. Each runs as a whole, without CTest.
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLX_SANITIZE_THREAD=ON
    threaded=(model_tests files_tests comparison_tests publishing_tests rich_text_adapter_tests
              navigation_test compare_window_test file_commands_test)
    cmake --build build-tsan --parallel "$(nproc)" --target "${threaded[@]}"
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
    # glib (under Qt's event loop) keeps freed blocks in caches of its own and hands them to
    # other threads in ways ThreadSanitizer cannot see: plain malloc instead.
    export G_SLICE=always-malloc
    for program in "${threaded[@]}"; do
        echo "== $program under ThreadSanitizer"
        QT_QPA_PLATFORM=offscreen "build-tsan/$program"
    done
    ;;
windows)
    install_packages "${windows_packages[@]}"
    # Wine gets a prefix of this build's own, and keeps quiet. The prefix is made once, before
    # the build runs the test programs to list their tests, two at a time.
    export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=-all
    mkdir -p "$WINEPREFIX"
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    "$wine" wineboot --init > /dev/null 2>&1 || true
    "${wine%/*}/wineserver" -w || true
    build build-windows --toolchain cmake/mingw-w64-x86_64.cmake -DQLX_BUILD_GUI=OFF \
        -DCMAKE_BUILD_TYPE=Release
    # A Wine server quitting just as the next program starts now and then leaves that program
    # with "Connection reset by peer": a test that fails so is run again (at most twice more).
    ctest --test-dir build-windows --output-on-failure --parallel "$(nproc)" --timeout 600 \
        --repeat until-pass:3
    [ -x build/qlx-convert ] || build build
    tests/windows/check_converter.sh build build-windows
    ;;
package)
    install_packages "${package_packages[@]}"
    build build
    tests/package/check_package.sh build
    ;;
*)
    echo "usage: $0 run|test|sanitize|tsan|windows|package" >&2
    exit 2
    ;;
esac
