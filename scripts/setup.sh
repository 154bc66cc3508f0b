#!/usr/bin/env bash
# Shared set-up of the run and test commands: installs the Debian packages that
# are missing, then configures and builds into the given folder.
# Usage: source scripts/setup.sh; qs_install_packages; qs_build BUILD_DIR [cmake args...]
set -euo pipefail

QS_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

QS_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    clang libclang-rt-14-dev libfuzzer-14-dev
    libgtest-dev libgmock-dev libcli11-dev libarchive-dev nlohmann-json3-dev libsqlite3-dev
    libzstd-dev liblzma-dev libbz2-dev zlib1g-dev nettle-dev
    qt6-base-dev qt6-multimedia-dev
    cc1541 cbmconvert p7zip-full arj jlha-utils libsidplayfp-dev
    xvfb xauth xfonts-base fonts-dejavu-core fonts-sixtyfour ugrep
    help2man librsvg2-bin desktop-file-utils appstream man-db zsh
)

# The fuzz build (scripts/test.sh, scripts/fuzz.sh): clang's libFuzzer, no window.
QS_FUZZ_CMAKE_ARGS=(-DCMAKE_CXX_COMPILER=clang++ -DQUILLSIFT_FUZZ=ON -DQUILLSIFT_GUI=OFF
    -DQUILLSIFT_TESTS=ON)

qs_install_packages() {
    local missing=()
    local p
    for p in "${QS_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Need root or sudo to install ${missing[*]}" >&2; exit 1; }
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

qs_build() {
    local dir="$1"
    shift
    cmake -S "$QS_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
