#!/usr/bin/env bash
# Takes the README's picture of the about window in mid-show: builds the demo
# program and runs it under a virtual X display, on the show's fake clock.
# Usage: ./scripts/screenshot-about.sh [OUTPUT.png] [MILLISECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

out="${1:-$QS_ROOT/docs/about-window.png}"
at="${2:-22000}"
qs_install_packages
cmake -S "$QS_ROOT" -B "$QS_ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$QS_ROOT/build" --target quillsift-about-demo
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1024x768x24" \
    "$QS_ROOT/build/bin/quillsift-about-demo" --screenshot "$out" --at "$at"
echo "Saved $out"
