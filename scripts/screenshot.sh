#!/usr/bin/env bash
# Takes the README's picture of the main window: a virtual X display (Xvfb),
# the window on a copy of the sample collection, a search with the subfolders,
# then a picture of the window.
# Usage: ./scripts/screenshot.sh [OUT.png]   (default: docs/main-window.png)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

qs_install_packages
qs_build "$QS_ROOT/build" >/dev/null

out="$(realpath -m "${1:-$QS_ROOT/docs/main-window.png}")"
mkdir -p "$(dirname "$out")"
# A copy inside the build folder, so that the folder tree shows project folders only.
work="$QS_ROOT/build/screenshot"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp -r "$QS_ROOT/build/samples" "$work/C64 Collection"

xvfb-run -a -s "-screen 0 1280x800x24" \
    env QT_QPA_PLATFORM=xcb "$QS_ROOT/build/bin/quillsift-screenshot" "$out" "$work/C64 Collection"
echo "Wrote $out"
