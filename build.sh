#!/usr/bin/env bash
# Quick start on Debian 12:
#   ./build.sh run    install what is needed, build, open the sample export
#   ./build.sh test   install what is needed, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-liberation)

install_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
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
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build --parallel "$(nproc)"
}

case "${1:-}" in
run)
    install_packages
    build
    if [ -x build/qlx-viewer ]; then
        exec build/qlx-viewer examples/sample.qlx
    fi
    exec build/qlx-convert examples/sample.qlx
    ;;
test)
    install_packages
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
